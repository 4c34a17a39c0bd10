#include "support/temp_dir.h"

#include <cstdlib>
#include <stdexcept>
#include <system_error>

namespace qmtest {

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "qmtest-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ec;
    // Make everything writable again so read-only test files can be removed.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    }
    std::filesystem::remove_all(path_, ec);
}

ScopedCwd::ScopedCwd(const std::filesystem::path& dir) : old_(std::filesystem::current_path())
{
    std::filesystem::current_path(dir);
}

ScopedCwd::~ScopedCwd()
{
    std::error_code ec;
    std::filesystem::current_path(old_, ec);
}

}  // namespace qmtest
