// The save screens run by the real application in a game folder "Quillmark04" of a temporary
// folder, so that the other chapters' save folders ("../Quillmark02/save/") lie beside it inside
// the same temporary folder. The field's maps, a save point of chapter 4 (11) and one of chapter 2
// (3), the screens' pictures and the menu sounds are there; saves are written by the save writer.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "MainCode/GameData/TGameData.h"
#include "MainCode/Menu/TSaveLoadLoop.h"
#include "MainCode/Menu/TSelectContinueDataLoop.h"
#include "dx/dx8/3d/TText8.h"
#include "formats/save_writer.h"
#include "support/scene_driver.h"
#include "support/temp_dir.h"

namespace savetest {

namespace fs = std::filesystem;
using qmtest::Button;

// Save points of the fixture's table: 11 in chapter 4 (this game), 3 in chapter 2.
inline constexpr std::int32_t kOwnSavePoint = 11;
inline constexpr std::int32_t kChapter2SavePoint = 3;
inline constexpr const char* kOwnPlace = "見張りの丘";

// What a slot holds in a test.
enum class Slot { Missing, Own, OtherChapter, Chapter2, BadCrc, Short };

class SaveScreens : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A file of that kind for the slot in the own folder, or in chapter's folder (made as needed).
    void Write(std::int32_t slot, Slot kind, std::int32_t chapter = -1, std::uint32_t money = 30000);
    fs::path SlotPath(std::int32_t slot, std::int32_t chapter = -1) const;
    std::vector<std::uint8_t> Bytes(std::int32_t slot) const;

    // The screen pushed over the title and stepped until its rows wait for input.
    TSaveLoadLoop* Open(TSaveLoadLoop* screen);
    TSelectContinueDataLoop* OpenChoice(std::int32_t chapter);
    // Steps until the page is back in its selection (at most limit steps); false if it never is.
    bool StepToSelection(const TSaveLoadLoop* screen, int limit = 80);

    // Down for one step, then up for one, so that the next press is a new one.
    void Press(Button b)
    {
        driver_->Press(b);
        driver_->Step();
    }
    TLoop* Current() const { return driver_->Current(); }
    qmtest::SceneDriver& Driver() { return *driver_; }

    qmtest::TempDir dir_;
    fs::path game_;
    std::unique_ptr<qmtest::SceneDriver> driver_;
};

// The ids played in the sound-effect bank, in order.
std::vector<std::uint32_t> Played(const std::vector<TSoundBankRecord>& records);

// The allocations of ten steps of the scene on top, and of the quads of its last frame drawn bare
// and presented ten times with the page's own texts and the pictures of the same names; what the
// software GL driver allocates inside each draw call and presented frame is not counted.
struct StepCost {
    long steps = 0;
    long bare = 0;
};
StepCost SteadyCost(qmtest::SceneDriver& driver, const TSaveSlotPage& page);

// Whether the text sprite shows exactly these words: parts drawn at their x in a fresh text
// sprite of the same size, with the menus' font, and compared pixel for pixel.
::testing::AssertionResult Shows(const TText8& text, const std::vector<std::pair<int, std::string>>& parts);
// "NN：" at 0 and the line at 32, as a slot row is written.
::testing::AssertionResult ShowsSlotLine(const TText8& text, std::int32_t slot, const std::string& line);

}  // namespace savetest
