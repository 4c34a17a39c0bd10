#include "support/crowded_folder.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <system_error>

namespace qmtest {

namespace fs = std::filesystem;

fs::path CrowdedFolder(int names)
{
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) {
        return {};
    }
    const fs::path base = exe.parent_path() / "crowded-folders";
    const fs::path kept = base / std::to_string(names);
    if (fs::is_directory(kept, ec)) {
        return kept;
    }
    // Processes running side by side each write their own and rename it into place: the first
    // rename wins, the others throw theirs away.
    const fs::path mine = base / (std::to_string(names) + ".writing." + std::to_string(static_cast<long long>(::getpid())));
    fs::remove_all(mine, ec);
    fs::create_directories(mine, ec);
    if (ec) {
        return {};
    }
    for (int i = 0; i < names; ++i) {
        char name[16];
        std::snprintf(name, sizeof(name), "p%05d", i);
        const int fd = ::open((mine / name).c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        if (fd < 0) {
            fs::remove_all(mine, ec);
            return {};
        }
        ::close(fd);
    }
    fs::rename(mine, kept, ec);
    if (ec) {
        fs::remove_all(mine, ec);
    }
    return fs::is_directory(kept, ec) ? kept : fs::path();
}

bool LinkCrowdedFolder(const fs::path& at, int names)
{
    const fs::path folder = CrowdedFolder(names);
    std::error_code ec;
    if (folder.empty()) {
        return false;
    }
    fs::create_directory_symlink(folder, at, ec);
    return !ec;
}

}  // namespace qmtest
