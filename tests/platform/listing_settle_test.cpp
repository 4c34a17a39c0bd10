// The settle helper the counts of real folder reads rely on, checked with the layer's clock and
// folder times fed.
#include <gtest/gtest.h>

#include <time.h>

#include <optional>
#include <string>

#include "folder_fixture.h"
#include "listing_settle.h"
#include "platform/testing/win32.h"
#include "platform/win32/file.h"
#include "support/temp_dir.h"

namespace {

using qmtest::At;

// The layer's clock fed and moved on by ticks of 4 ms, and every folder's times fed.
class FedListingClock : public qmtest::ListingClock {
public:
    FedListingClock(timespec now, const platform::FolderTimes& times) : now_(now), times_(times)
    {
        platform::FeedFolderClock(now_);
        platform::FeedFolderTimes(times_);
    }
    timespec Now() override { return now_; }
    void NextTick() override
    {
        now_.tv_nsec += 4000000;
        if (now_.tv_nsec >= 1000000000) {
            now_.tv_nsec -= 1000000000;
            ++now_.tv_sec;
        }
        platform::FeedFolderClock(now_);
        ++ticks;
    }
    std::optional<platform::FolderTimes> TimesOf(const std::string&) override { return times_; }

    int ticks = 0;

private:
    timespec now_;
    platform::FolderTimes times_;
};

// The listing the helper leaves is not read again however long after it is looked in, wherever
// the folder's change time lay against the clock when it began (at 5000 s): a finer clock than the
// coarse one can stamp it ticks ahead, and a whole-second filesystem settles two seconds on. It
// waits no tick more than the clock needs to pass the change time, and a listing read before it,
// in the first tick, is no different.
TEST(SettleHelper, TheListingItLeavesIsReadNoMoreWhereverTheChangeTimeLay)
{
    const struct {
        const char* what;
        timespec changed;  // and last written
        int ticks;
    } cases[] = {
        {"a tick before the clock", At(4999, 996000000), 0},
        {"within the clock's tick", At(5000, 1000000), 1},
        {"two ticks ahead, between ticks", At(5000, 9000000), 3},
        {"two ticks ahead, on a tick", At(5000, 8000000), 3},
        {"whole seconds", At(5000), 500},
    };
    for (const bool readBefore : {false, true}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (readBefore ? ", read before" : ""));
            qmtest::FreshListings fresh;
            qmtest::TempDir dir;
            qmtest::MakeFiles(dir.Path() / "Scr", {"Main.pbsc"});
            qmtest::ScopedCwd cwd(dir.Path());
            FedListingClock clock(At(5000), platform::FolderTimes{c.changed, c.changed});
            if (readBefore) {
                EXPECT_EQ(platform::HostPath("Scr\\MAIN.pbsc"), "Scr/Main.pbsc");
            }
            ASSERT_TRUE(qmtest::ListingKept("Scr", clock));
            EXPECT_EQ(clock.ticks, c.ticks);
            const long settled = qmtest::ListingsRead();
            for (const timespec later : {At(5000, 500000000), At(5003), At(6000)}) {
                platform::FeedFolderClock(later);
                EXPECT_EQ(platform::HostPath("Scr\\main.PBSC"), "Scr/Main.pbsc");
            }
            EXPECT_EQ(qmtest::ListingsRead(), settled);
        }
    }
}

}  // namespace
