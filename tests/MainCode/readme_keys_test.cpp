// The README's key table tells a newcomer what the game binds without an input.ini; it must say what
// the code does.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "MainCode/TInputDevice.h"
#include "platform/win32/keyboard.h"

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
        {"Z", {4}, "attack", "decide"},
        {"X", {5}, "skill", "cancel"},
        {"C", {6}, "jump", ""},
        {"V", {7}, "item ring (hold)", ""},
        {"B", {8}, "pause menu", ""},
        {"Escape", {}, "asks whether to quit the game", ""},
        {"F4", {}, "asks whether to return to the title", ""},
    };
    const std::map<std::string, std::vector<std::uint32_t>> codes = {
        {"arrow keys", {VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT}}, {"Z", {'Z'}}, {"X", {'X'}}, {"C", {'C'}},
        {"V", {'V'}}, {"B", {'B'}}, {"Escape", {VK_ESCAPE}}, {"F4", {VK_F4}}};
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

}  // namespace
