// A sound list the game cannot read leaves its sounds silent and says which file and why.
#include "sound_fixture.h"

#include "dx/dx8/sound/TSoundList.h"
#include "formats/table_writer.h"
#include "formats/wave_writer.h"

namespace {

using soundtest::SoundCoreTest;

TEST_F(SoundCoreTest, AListThatCannotBeReadIsLoggedWithItsName)
{
    qmtest::SaveBytes(dir_.File("se.pse"), qmtest::BuildPse({}));
    qmtest::SaveBytes(dir_.File("se.tbl"), qmtest::BuildSoundTable({}));
    core_->CreateBank(dir_.File("se.tbl"), "se.pse/", 0, -10000, 0);
    std::vector<std::uint8_t> whole = qmtest::BuildSoundList({4, 5});
    qmtest::SaveBytes(dir_.File("map_se.tbl"), whole);
    qmtest::SaveBytes(dir_.File("cut_vc.tbl"), std::vector<std::uint8_t>(whole.begin(), whole.end() - 1));
    qmtest::SaveBytes(dir_.File("empty_se.tbl"), {});
    const struct {
        const char* file;
        const char* reason;  // null: read, no line
        std::size_t ids;
    } cases[] = {
        {"map_se.tbl", nullptr, 2},
        {"cut_vc.tbl", "damaged or cut short", 0},
        {"empty_se.tbl", "damaged or cut short", 0},
        {"absent_se.tbl", "cannot be opened", 0},
    };
    for (const auto& c : cases) {
        testing::internal::CaptureStderr();
        TSoundList list(core_->GetBank(0), dir_.File(c.file));
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_EQ(list.GetIds().size(), c.ids) << c.file;
        if (c.reason == nullptr) {
            EXPECT_EQ(log, "") << c.file;
        } else {
            EXPECT_EQ(log, "sound: the list " + dir_.File(c.file) + " " + c.reason + "; its sounds stay silent\n");
        }
    }
}

}  // namespace
