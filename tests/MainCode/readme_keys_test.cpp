// The README's key table tells a newcomer what the game binds without an input.ini; it must say what
// the code does, and what each key does today is tried on the running game.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "MainCode/Map/TFieldLoop.h"
#include "MainCode/Menu/TMenuTopLoop.h"
#include "MainCode/Menu/TYesNoLoop.h"
#include "MainCode/Scene/TTitleLoop.h"
#include "MainCode/TInputDevice.h"
#include "formats/field_writer.h"
#include "platform/win32/keyboard.h"
#include "platform/win32/window.h"
#include "support/scene_driver.h"
#include "support/map_probe.h"

namespace {

std::vector<std::string> Cells(const std::string& row)
{
    std::vector<std::string> cells;
    std::size_t at = row.find('|');
    while (at != std::string::npos) {
        const std::size_t next = row.find('|', at + 1);
        if (next == std::string::npos) {
            break;
        }
        std::string cell = row.substr(at + 1, next - at - 1);
        cell.erase(0, cell.find_first_not_of(' '));
        cell.erase(cell.find_last_not_of(' ') + 1);
        cells.push_back(cell);
        at = next;
    }
    return cells;
}

TEST(ReadmeKeys, TheTableNamesTheDefaultBindings)
{
    std::ifstream readme(std::string(QM_SOURCE_DIR) + "/README.md");
    ASSERT_TRUE(readme.good());
    std::map<std::string, std::vector<std::string>> rows;  // key -> field, menu
    bool inKeys = false;
    for (std::string line; std::getline(readme, line);) {
        if (line.rfind("#", 0) == 0) {
            inKeys = line == "### Keys";
        } else if (inKeys && line.rfind("| ", 0) == 0) {
            const std::vector<std::string> cells = Cells(line);
            ASSERT_EQ(cells.size(), 3u) << line;
            if (cells[0] != "key") {
                rows[cells[0]] = {cells[1], cells[2]};
            }
        }
    }
    // Button i of the input words is bound to kDefaultKeys[i]; what each button does where.
    const struct {
        const char* key;
        std::vector<int> buttons;
        const char* field;
        const char* menu;
    } expected[] = {
        {"arrow keys", {0, 1, 2, 3}, "walk (tap twice to dash)", "move the cursor"},
        {"Z", {4}, "attack; next to a villager, talk", "decide"},
        {"X", {5}, "cast the skill of the skill gauge's selected slot", "cancel"},
        {"A", {9}, "select the skill gauge's slot to the left (from the first, the last)", ""},
        {"S", {10}, "select the skill gauge's slot to the right (from the last, the first)", ""},
        {"C", {6}, "jump", ""},
        {"V", {7}, "item ring (hold; up and down turn it, letting go uses the item)", ""},
        {"B", {8}, "pause menu", ""},
        {"Q, W, E, R, T", {11, 12, 13, 14, 15}, "bound, but nothing in the game uses them", ""},
        {"Escape", {}, "asks whether to quit the game (it starts on \"no\")", ""},
        {"F4", {}, "asks whether to return to the title (it starts on \"no\")", ""},
    };
    const std::map<std::string, std::vector<std::uint32_t>> codes = {
        {"arrow keys", {VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT}}, {"Z", {'Z'}}, {"X", {'X'}}, {"C", {'C'}},
        {"V", {'V'}}, {"B", {'B'}}, {"A", {'A'}}, {"S", {'S'}}, {"Q, W, E, R, T", {'Q', 'W', 'E', 'R', 'T'}},
        {"Escape", {VK_ESCAPE}}, {"F4", {VK_F4}}};
    EXPECT_EQ(rows.size(), std::size(expected));
    for (const auto& e : expected) {
        ASSERT_EQ(rows.count(e.key), 1u) << e.key;
        EXPECT_EQ(rows[e.key][0], e.field) << e.key;
        EXPECT_EQ(rows[e.key][1], e.menu) << e.key;
        const std::vector<std::uint32_t>& vk = codes.at(e.key);
        for (std::size_t i = 0; i < e.buttons.size(); ++i) {
            EXPECT_EQ(TInputDevice::kDefaultKeys[e.buttons[i]], vk[i]) << e.key;
        }
        // The two system questions are bound to no button, so nothing else answers them.
        for (std::uint32_t code : e.buttons.empty() ? vk : std::vector<std::uint32_t>()) {
            for (std::uint32_t bound : TInputDevice::kDefaultKeys) {
                EXPECT_NE(bound, code) << e.key;
            }
        }
    }
}

using qmtest::Button;

// Where the presses leave the game: on the title, in the field, in the pause menu, or ended.
enum class Lands { Title, Field, Pause, Ended };

// The game on a field folder, on its title or past its opening fade in the field; each press held
// for one step, then time enough for the screen it opens or closes to slide and fade, or for a
// scene change.
Lands Play(bool inField, const std::vector<Button>& presses)
{
    qmtest::TempDir dir;
    qmtest::SceneDriver driver(dir.Path());
    qmtest::WriteFieldFolder(".");
    EXPECT_TRUE(driver.Start());
    driver.Steps(8);
    if (inField) {
        // A new game at the folder's save point, the title dropped as the scene change drops it.
        TFieldLoop* start = TFieldLoop::CreateAtSavePoint(driver.App(), qmtest::FieldLayout::kSavePoint);
        EXPECT_NE(start, nullptr);
        driver.App()->PushScene(start);
        driver.App()->PopScenesTo(1);
        for (int i = 0; i < 200; ++i) {
            auto* field = dynamic_cast<TFieldLoop*>(driver.Current());
            if (field != nullptr && !TMapProbe::IsInPhase(*field)) {
                break;
            }
            driver.Step();
        }
        EXPECT_NE(dynamic_cast<TFieldLoop*>(driver.Current()), nullptr);
    }
    bool running = true;
    for (Button b : presses) {
        driver.Hold(b, true);
        // Escape and F4 act through the window's key messages, as the game's own loop hands them on.
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageA(&msg);
        }
        running = running && driver.Step();
        driver.Hold(b, false);
        for (int i = 0; i < 120 && running; ++i) {  // a scene change takes 101
            running = driver.Step();
        }
    }
    if (!running) {
        return Lands::Ended;
    }
    TLoop* scene = driver.Current();
    EXPECT_EQ(driver.App()->GetSceneCount(), dynamic_cast<TMenuTopLoop*>(scene) != nullptr ? 2 : 1);
    return dynamic_cast<TTitleLoop*>(scene) != nullptr    ? Lands::Title
           : dynamic_cast<TFieldLoop*>(scene) != nullptr   ? Lands::Field
           : dynamic_cast<TMenuTopLoop*>(scene) != nullptr ? Lands::Pause
                                                           : Lands::Ended;
}

TEST(ReadmeKeys, EachKeyDoesWhatTheTableSaysToday)
{
    const struct {
        bool inField;
        std::vector<Button> presses;
        Lands lands;
    } cases[] = {
        {false, {Button::Escape, Button::B}, Lands::Title},
        {false, {Button::Escape, Button::A}, Lands::Title},
        {false, {Button::Escape, Button::Up, Button::A}, Lands::Ended},
        {true, {Button::F4, Button::B}, Lands::Field},
        {true, {Button::F4, Button::A}, Lands::Field},
        {true, {Button::F4, Button::Up, Button::A}, Lands::Title},
        {true, {Button::E}, Lands::Pause},
        {true, {Button::E, Button::E}, Lands::Field},
        {true, {Button::E, Button::B}, Lands::Field},
        {true, {Button::D}, Lands::Field},
    };
    for (const auto& c : cases) {
        std::string keys;
        for (Button b : c.presses) {
            keys += std::to_string(qmtest::KeyOf(b)) + " ";
        }
        EXPECT_EQ(Play(c.inField, c.presses), c.lands) << (c.inField ? "in the field: " : "on the title: ") << keys;
    }
}

}  // namespace
