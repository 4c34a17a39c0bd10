#include "SampleData/sample_folder_copy.h"

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <system_error>

#include "make-sample-data/SampleData.h"

namespace qmtest {

namespace fs = std::filesystem;

namespace {

// The kept folder for this build of the program; empty when none can be had. Processes running
// side by side each write their own and rename it into place: the first rename wins, the others
// throw theirs away.
fs::path KeptFolder()
{
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    struct stat st {};
    if (ec || ::stat(exe.c_str(), &st) != 0) {
        return {};
    }
    const std::string key = std::to_string(static_cast<long long>(st.st_mtim.tv_sec)) + "." +
                            std::to_string(static_cast<long long>(st.st_mtim.tv_nsec)) + "-" +
                            std::to_string(static_cast<long long>(st.st_size));
    const fs::path base = exe.parent_path() / "sample-folder-copies";
    const fs::path kept = base / key;
    if (fs::is_directory(kept, ec)) {
        return kept;
    }
    fs::create_directories(base, ec);
    if (ec) {
        return {};
    }
    // Copies of earlier builds are of no further use.
    for (const fs::directory_entry& old : fs::directory_iterator(base, ec)) {
        if (old.path().filename().string().rfind(key, 0) != 0) {
            std::error_code ignored;
            fs::remove_all(old.path(), ignored);
        }
    }
    const fs::path mine = base / (key + ".writing." + std::to_string(static_cast<long long>(::getpid())));
    fs::remove_all(mine, ec);
    if (!fs::create_directory(mine, ec)) {
        return {};
    }
    try {
        sample::WriteSampleFolder(mine);
    } catch (...) {
        fs::remove_all(mine, ec);
        throw;
    }
    fs::rename(mine, kept, ec);
    if (ec) {
        fs::remove_all(mine, ec);
    }
    return fs::is_directory(kept, ec) ? kept : fs::path();
}

}  // namespace

void CopySampleFolder(const fs::path& root)
{
    static const fs::path kept = KeptFolder();
    std::error_code ec;
    if (!kept.empty()) {
        fs::copy(kept, root, fs::copy_options::recursive | fs::copy_options::overwrite_existing, ec);
        if (!ec) {
            return;
        }
    }
    sample::WriteSampleFolder(root);
}

}  // namespace qmtest
