// The layer's own message window, taken where SDL's box cannot be shown (forced here, since the
// tests run under the offscreen driver).
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/testing/win32.h"
#include "platform/win32/msgbox.h"
#include "support/golden.h"

namespace {

using platform::MessageWindowView;
using Send = std::function<SDL_Event(const MessageWindowView&)>;

Send Key(SDL_Keycode key)
{
    return [key](const MessageWindowView& view) {
        SDL_Event event{};
        event.type = SDL_KEYDOWN;
        event.key.windowID = view.windowId;
        event.key.state = SDL_PRESSED;
        event.key.keysym.sym = key;
        return event;
    };
}

// A click released at a point given from the OK button's edges.
Send Click(std::function<SDL_Point(const RECT&)> at, Uint8 button = SDL_BUTTON_LEFT)
{
    return [at, button](const MessageWindowView& view) {
        const SDL_Point p = at(view.okButton);
        SDL_Event event{};
        event.type = SDL_MOUSEBUTTONUP;
        event.button.windowID = view.windowId;
        event.button.button = button;
        event.button.x = p.x;
        event.button.y = p.y;
        return event;
    };
}

Send CloseButton()
{
    return [](const MessageWindowView& view) {
        SDL_Event event{};
        event.type = SDL_WINDOWEVENT;
        event.window.windowID = view.windowId;
        event.window.event = SDL_WINDOWEVENT_CLOSE;
        return event;
    };
}

class OwnMessageWindow : public ::testing::Test {
protected:
    void SetUp() override { platform::ForceOwnMessageWindow(true); }
    void TearDown() override
    {
        platform::ForceOwnMessageWindow(false);
        platform::SetMessageWindowObserver(nullptr);
    }

    // Shows a box and answers each view with the next event; past the last one a quit ends the
    // box (the test has then failed). Returns the views seen.
    std::vector<MessageWindowView> Show(const std::function<void()>& box, std::vector<Send> events)
    {
        std::vector<MessageWindowView> views;
        platform::SetMessageWindowObserver([&](const MessageWindowView& view) {
            views.push_back(view);
            SDL_Event event{};
            event.type = SDL_QUIT;
            if (views.size() <= events.size()) {
                event = events[views.size() - 1](view);
            }
            SDL_PushEvent(&event);
        });
        testing::internal::CaptureStderr();
        box();
        stderrText = testing::internal::GetCapturedStderr();
        SDL_FlushEvent(SDL_QUIT);
        for (const MessageWindowView& view : views) {
            EXPECT_EQ(SDL_GetWindowFromID(view.windowId), nullptr) << "the window is gone";
        }
        return views;
    }

    std::string stderrText;
};

TEST_F(OwnMessageWindow, StaysUpUntilOkEnterSpaceEscapeOrCloseAndReturnsIdok)
{
    struct Case {
        const char* what;
        Send stays;
        Send closes;
    };
    const auto left = [](LONG dx, LONG dy) {
        return Click([=](const RECT& ok) { return SDL_Point{ok.left + dx, ok.top + dy}; });
    };
    const auto right = [](LONG dx, LONG dy) {
        return Click([=](const RECT& ok) { return SDL_Point{ok.right + dx, ok.bottom + dy}; });
    };
    const Case cases[] = {
        {"Enter", left(-1, 0), Key(SDLK_RETURN)},
        {"keypad Enter", Key(SDLK_a), Key(SDLK_KP_ENTER)},
        {"Space", Click([](const RECT& ok) { return SDL_Point{ok.left + 10, ok.top + 10}; }, SDL_BUTTON_RIGHT),
         Key(SDLK_SPACE)},
        {"Escape", Key(SDLK_TAB), Key(SDLK_ESCAPE)},
        {"OK at its top left", left(0, -1), left(0, 0)},
        {"OK at its bottom right", right(0, -1), right(-1, -1)},
        {"the close button", right(-1, 0), CloseButton()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int result = 0;
        const std::vector<MessageWindowView> views =
            Show([&] { result = MessageBoxA(nullptr, "ファイルが開けません", "Error Message", MB_ICONERROR); },
                 {c.stays, c.closes});
        EXPECT_EQ(result, IDOK);
        ASSERT_EQ(views.size(), 2u) << "shown, still up after the first event, closed by the second";
        EXPECT_EQ(views[0].title, "Error Message");
        EXPECT_EQ(views[0].lines, std::vector<std::string>{"ファイルが開けません"});
        EXPECT_EQ(stderrText, reinterpret_cast<const char*>(u8"Error Message: ファイルが開けません\n"));
    }
}

TEST_F(OwnMessageWindow, WrapsLongTextInsideAndDrawsJapaneseWithTheGameFont)
{
    const std::string text =
        "モデルが見つかりません\r\n"
        "Data\\Model\\Field\\Tree_1.x could not be opened: the game needs every model of its folder to start\r\n"
        "\r\n"
        "Data\\Model\\Enemy\\AVeryLongFolderNameWithoutAnySpaceAtAll\\AndAnotherOneJustAsLong\\Boss.x\r\n";
    const std::vector<MessageWindowView> views =
        Show([&] { MessageBoxA(nullptr, text.c_str(), "エラー", MB_ICONERROR); }, {Key(SDLK_RETURN)});
    ASSERT_EQ(views.size(), 1u);
    const MessageWindowView& view = views[0];
    EXPECT_EQ(view.title, reinterpret_cast<const char*>(u8"エラー"));
    // 560 pixels a line: 70 half-width characters of 8.
    const std::vector<std::string> lines = {
        "モデルが見つかりません",
        "Data\\Model\\Field\\Tree_1.x could not be opened: the game needs every",
        "model of its folder to start",
        "",
        "Data\\Model\\Enemy\\AVeryLongFolderNameWithoutAnySpaceAtAll\\AndAnotherOne",
        "JustAsLong\\Boss.x",
    };
    EXPECT_EQ(view.lines, lines);
    EXPECT_EQ(view.picture.width, 592);

    // Nothing drawn in the margins but the OK button.
    const std::uint8_t* background = view.picture.At(0, 0);
    int outside = 0;
    for (int y = 0; y < view.picture.height; ++y) {
        for (int x = 0; x < view.picture.width; ++x) {
            const bool margin = x < 16 || x >= view.picture.width - 16 || y < 16;
            const bool ok = x >= view.okButton.left && x < view.okButton.right && y >= view.okButton.top &&
                            y < view.okButton.bottom;
            if (margin && !ok && std::memcmp(view.picture.At(x, y), background, 3) != 0) {
                ++outside;
            }
        }
    }
    EXPECT_EQ(outside, 0);
    EXPECT_TRUE(qmtest::MatchesGolden(view.picture, "OwnMessageWindow"));
}

TEST_F(OwnMessageWindow, RefusedStartShowsItsTextAndNamesTheFolderOnStderr)
{
    const std::vector<MessageWindowView> views =
        Show([] { platform::ReportRefusedStart(nullptr, "多重起動禁止", "警告", MB_ICONWARNING); },
             {Key(SDLK_RETURN)});
    ASSERT_EQ(views.size(), 1u);
    EXPECT_EQ(views[0].title, reinterpret_cast<const char*>(u8"警告"));
    EXPECT_EQ(views[0].lines, std::vector<std::string>{"多重起動禁止"});
    EXPECT_EQ(stderrText.rfind(reinterpret_cast<const char*>(u8"警告: 多重起動禁止\n(game folder: "), 0), 0u);
}

}  // namespace
