#include "support/crowded_folder.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <system_error>

#include "support/temp_dir.h"

namespace qmtest {

namespace fs = std::filesystem;

namespace {

// The names written into a new folder; false (and nothing left) when one could not be.
bool Write(const fs::path& folder, int names)
{
    std::error_code ec;
    fs::remove_all(folder, ec);
    fs::create_directories(folder, ec);
    if (ec) {
        return false;
    }
    for (int i = 0; i < names; ++i) {
        char name[16];
        std::snprintf(name, sizeof(name), "p%05d", i);
        const int fd = ::open((folder / name).c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        if (fd < 0) {
            fs::remove_all(folder, ec);
            return false;
        }
        ::close(fd);
    }
    return true;
}

// Beside the test program; empty when it cannot be had there.
fs::path Kept(int names)
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
    if (!Write(mine, names)) {
        return {};
    }
    fs::rename(mine, kept, ec);
    if (ec) {
        fs::remove_all(mine, ec);
    }
    return fs::is_directory(kept, ec) ? kept : fs::path();
}

}  // namespace

fs::path CrowdedFolder(int names)
{
    const fs::path kept = Kept(names);
    if (!kept.empty()) {
        return kept;
    }
    // Where the program's folder takes nothing, one of the process's own.
    static TempDir own;
    const fs::path folder = own.Path() / std::to_string(names);
    std::error_code ec;
    return fs::is_directory(folder, ec) || Write(folder, names) ? folder : fs::path();
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
