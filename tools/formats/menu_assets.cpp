#include "formats/menu_assets.h"

#include <string>

#include "formats/caption_font.h"

namespace qmtest {

namespace {

constexpr PtxColor kFrame{230, 230, 240};
constexpr PtxColor kWords{255, 255, 255};

// A window with a light frame two pixels wide over a half-transparent fill, its lines of words
// (each at its own top) from the left margin.
PtxImage WordWindow(const std::string& name, std::uint32_t width, std::uint32_t height, PtxColor fill,
                    const std::vector<std::pair<int, std::string>>& lines, int left)
{
    CaptionCanvas canvas(width, height, kFrame);
    canvas.Fill(2, 2, static_cast<int>(width) - 4, static_cast<int>(height) - 4, fill, 200);
    for (const auto& [top, text] : lines) {
        DrawCaption(canvas, left, top, text, 2, kWords);
    }
    return canvas.Image(name, 1);
}

}  // namespace

std::vector<PtxImage> MenuSprites()
{
    // The pause menu's items and its choices, 128 x 32: the hidden places lie 138 or more to the
    // left of the screen.
    const struct {
        char letter;
        const char* word;
    } items[] = {
        {'a', "ITEM"},   {'b', "EQUIP"},     {'c', "SKILL"}, {'d', "STATUS"},  {'e', "OPTION"},
        {'f', "SAVE"},   {'g', "SAVE"},      {'h', "LOAD"},  {'i', "TITLE"},   {'j', "QUIT GAME"},
        {'k', "BACK"},   {'l', "CHANGE"},    {'m', "TO HERO"}, {'n', "TO PARTNER"},
    };
    std::vector<PtxImage> sprites;
    for (const auto& item : items) {
        sprites.push_back(
            WordWindow(std::string("window02_") + item.letter, 128, 32, {40, 60, 120}, {{9, item.word}}, 6));
    }
    // The questions, 256 x 64 in the middle of the screen above the answers.
    sprites.push_back(WordWindow("window23", 256, 64, {90, 40, 60}, {{25, "BACK TO THE TITLE?"}}, 20));
    sprites.push_back(WordWindow("window24", 256, 64, {90, 40, 60}, {{25, "QUIT THE GAME?"}}, 44));
    // The answers, yes in row 0 and no in row 1 to the right of the cursor.
    sprites.push_back(WordWindow("window10", 74, 56, {40, 60, 120}, {{17, "YES"}, {33, "NO"}}, 32));
    return sprites;
}

}  // namespace qmtest
