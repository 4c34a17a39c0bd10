// The work of this thread's file calls, for a caller that prices its own (the script layer), and
// the limit that stops a folder read part way.
#pragma once

#include <cstdint>

namespace platform::files {
struct PartRead;
}

namespace platform {

// Folder entries read to look up names spelled in another case, and the bytes of their names:
// every entry readdir gives counts, "." and ".." too, also those of a folder too large to keep; a
// look-up answered from a kept listing reads none.
std::uint64_t FolderEntriesRead();
std::uint64_t FolderNameBytesRead();
// The names in every path handed to the system (stat, lstat, open, opendir and the calls that
// change the disk): a walk folder by folder shows what it cost.
std::uint64_t PathStepsAsked();

// While one lives on this thread, a folder read for a case-blind look-up stops once its entries
// and their name bytes have cost `allowance` (each entry `perEntry`, each name byte `perByte`):
// the file call that needed the folder fails with ERROR_IO_PENDING, having read what the
// allowance let it, and the next call that needs that folder (with or without a limit) goes on
// where it stopped. The allowance is spent by every folder read on this thread while the limit
// lives, and checked before each entry is taken, so a read never goes more than one entry past it.
// A limit made while another lives governs alone until it ends; the outer one then governs again.
// Without one, folder reads run to their end.
class FolderReadLimit {
public:
    FolderReadLimit(std::uint64_t allowance, std::uint64_t perEntry, std::uint64_t perByte);
    ~FolderReadLimit();
    FolderReadLimit(const FolderReadLimit&) = delete;
    FolderReadLimit& operator=(const FolderReadLimit&) = delete;

private:
    friend struct files::PartRead;
    std::uint64_t allowance_;
    std::uint64_t perEntry_;
    std::uint64_t perByte_;
    std::uint64_t spent_ = 0;
    FolderReadLimit* outer_;
};

}  // namespace platform
