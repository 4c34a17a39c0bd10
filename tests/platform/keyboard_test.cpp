#include "platform/testing/win32.h"
#include "platform/win32/keyboard.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "platform/win32/window.h"
#include "platform/win32/window_internal.h"
#include "support/messages.h"

namespace {

// A key event from SDL on a window of ours: the message it becomes and the key state it leaves.
TEST(Keyboard, SdlKeyEventsGoThroughTheJisLayout)
{
    platform::ResetKeyboardState();
    HWND hwnd = platform::CreateBareWindow("keys", 64, 64);
    ASSERT_NE(hwnd, nullptr);
    qmtest::TakeAllMessages();
    auto push = [hwnd](bool down) {
        SDL_Event event{};
        event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        event.key.windowID = SDL_GetWindowID(platform::SdlWindowOf(hwnd));
        event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        event.key.keysym.scancode = SDL_SCANCODE_INTERNATIONAL3;  // the yen key
        EXPECT_EQ(SDL_PushEvent(&event), 1);
        std::vector<MSG> got = qmtest::TakeAllMessages();
        BYTE keys[256];
        EXPECT_TRUE(GetKeyboardState(keys));
        EXPECT_EQ(keys[VK_OEM_5] & 0x80, down ? 0x80 : 0);
        return got;
    };
    const std::vector<MSG> got = push(true);
    push(false);
    platform::DestroyBareWindow(hwnd);
    qmtest::TakeAllMessages();
    platform::ResetKeyboardState();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(got[0].wParam, static_cast<WPARAM>(VK_OEM_5));
}

// Every name of the game's key-name table must be reachable from a physical key.
TEST(KeyboardLayout, EveryNamedKeyHasAPhysicalKeyAtItsJisPosition)
{
    std::set<int> reachable;
    for (int sc = 0; sc < SDL_NUM_SCANCODES; ++sc) {
        if (int vk = platform::VirtualKeyFromScancode(sc)) {
            reachable.insert(vk);
        }
    }
    std::vector<int> named = {0x08, 0x0D, 0x10, 0x11, 0x12, 0x25, 0x26, 0x27, 0x28, 0x20, 0x6A, 0x6B, 0x6D, 0x6E,
                              0x6F, 0xBD, 0xDE, 0xDC, 0xC0, 0xDB, 0xBB, 0xBA, 0xDD, 0xBC, 0xBE, 0xBF, 0xE2};
    for (auto [from, to] : {std::pair{0x30, 0x39}, {0x41, 0x5A}, {0x60, 0x69}}) {
        for (int vk = from; vk <= to; ++vk) {
            named.push_back(vk);
        }
    }
    ASSERT_EQ(named.size(), 73u);
    for (int vk : named) {
        EXPECT_TRUE(reachable.count(vk)) << "no key gives 0x" << std::hex << vk;
    }

    // Keys whose JIS legend differs from the US one.
    const std::pair<SDL_Scancode, int> cases[] = {
        {SDL_SCANCODE_EQUALS, VK_OEM_7},        {SDL_SCANCODE_LEFTBRACKET, VK_OEM_3},
        {SDL_SCANCODE_RIGHTBRACKET, VK_OEM_4},  {SDL_SCANCODE_SEMICOLON, VK_OEM_PLUS},
        {SDL_SCANCODE_APOSTROPHE, VK_OEM_1},    {SDL_SCANCODE_NONUSHASH, VK_OEM_6},
        {SDL_SCANCODE_INTERNATIONAL1, VK_OEM_102}, {SDL_SCANCODE_RALT, VK_MENU},
    };
    for (const auto& [scancode, vk] : cases) {
        EXPECT_EQ(platform::VirtualKeyFromScancode(scancode), vk) << SDL_GetScancodeName(scancode);
    }
}

}  // namespace
