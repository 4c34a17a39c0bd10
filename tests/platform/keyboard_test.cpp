#include "platform/win32/keyboard.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "platform/win32/window.h"
#include "platform/win32/window_internal.h"
#include "support/messages.h"

namespace {

class KeyboardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::ResetKeyboardState();
        hwnd_ = platform::CreateBareWindow("keys", 64, 64);
        ASSERT_NE(hwnd_, nullptr);
        qmtest::TakeAllMessages();
    }

    void TearDown() override
    {
        platform::DestroyBareWindow(hwnd_);
        qmtest::TakeAllMessages();
        platform::ResetKeyboardState();
    }

    void PushKey(SDL_Scancode scancode, bool down)
    {
        SDL_Event event{};
        event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        event.key.windowID = SDL_GetWindowID(platform::SdlWindowOf(hwnd_));
        event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        event.key.keysym.scancode = scancode;
        ASSERT_EQ(SDL_PushEvent(&event), 1);
    }

    static BYTE State(int vk)
    {
        BYTE keys[256];
        EXPECT_TRUE(GetKeyboardState(keys));
        return keys[vk];
    }

    HWND hwnd_ = nullptr;
};

TEST_F(KeyboardTest, InjectedKeysSetStateBitsAndPostKeyMessages)
{
    EXPECT_EQ(State('Z'), 0);
    platform::InjectKey('Z', true);
    EXPECT_EQ(State('Z'), 0x81);  // held, toggled once
    EXPECT_EQ(GetAsyncKeyState('Z') & 0xFFFF, 0x8000);
    platform::InjectKey('Z', false);
    EXPECT_EQ(State('Z'), 0x01);
    EXPECT_EQ(GetAsyncKeyState('Z'), 0);
    platform::InjectKey('Z', true);
    EXPECT_EQ(State('Z'), 0x80);  // second press toggles back
    platform::InjectKey('Z', false);

    std::vector<MSG> got = qmtest::TakeAllMessages();
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(got[0].hwnd, hwnd_);
    EXPECT_EQ(got[0].message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(got[0].wParam, static_cast<WPARAM>('Z'));
    EXPECT_EQ(got[0].lParam & (1 << 30), 0);  // was up before
    EXPECT_EQ(got[1].message, static_cast<UINT>(WM_KEYUP));
    EXPECT_NE(static_cast<DWORD>(got[1].lParam) & 0x80000000u, 0u);

    // Alt turns key messages into system key messages.
    platform::InjectKey(VK_MENU, true);
    platform::InjectKey(VK_F4, true);
    got = qmtest::TakeAllMessages();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].message, static_cast<UINT>(WM_SYSKEYDOWN));
    EXPECT_EQ(got[1].message, static_cast<UINT>(WM_SYSKEYDOWN));
    EXPECT_EQ(got[1].wParam, static_cast<WPARAM>(VK_F4));
    EXPECT_NE(got[1].lParam & (1 << 29), 0);

    platform::ResetKeyboardState();
    EXPECT_EQ(State(VK_MENU), 0);
    EXPECT_EQ(State(VK_F4), 0);
}

TEST_F(KeyboardTest, SdlKeyEventsGoThroughTheJisLayout)
{
    PushKey(SDL_SCANCODE_INTERNATIONAL3, true);  // the yen key
    PushKey(SDL_SCANCODE_LEFTBRACKET, true);     // '@' on a JIS board
    std::vector<MSG> got = qmtest::TakeAllMessages();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(got[0].wParam, static_cast<WPARAM>(VK_OEM_5));
    EXPECT_EQ(got[1].wParam, static_cast<WPARAM>(VK_OEM_3));
    EXPECT_EQ(State(VK_OEM_5) & 0x80, 0x80);
    EXPECT_EQ(State(VK_OEM_3) & 0x80, 0x80);
    PushKey(SDL_SCANCODE_INTERNATIONAL3, false);
    qmtest::TakeAllMessages();
    EXPECT_EQ(State(VK_OEM_5) & 0x80, 0);
    EXPECT_EQ(State(VK_OEM_3) & 0x80, 0x80);
}

TEST_F(KeyboardTest, EitherShiftHoldsTheGenericCode)
{
    PushKey(SDL_SCANCODE_LSHIFT, true);
    PushKey(SDL_SCANCODE_RSHIFT, true);
    std::vector<MSG> got = qmtest::TakeAllMessages();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].wParam, static_cast<WPARAM>(VK_SHIFT));
    EXPECT_EQ(got[1].wParam, static_cast<WPARAM>(VK_SHIFT));
    EXPECT_EQ(State(VK_LSHIFT) & 0x80, 0x80);
    EXPECT_EQ(State(VK_RSHIFT) & 0x80, 0x80);

    PushKey(SDL_SCANCODE_LSHIFT, false);
    qmtest::TakeAllMessages();
    EXPECT_EQ(State(VK_LSHIFT) & 0x80, 0);
    EXPECT_EQ(State(VK_SHIFT) & 0x80, 0x80);  // the right one is still down
    PushKey(SDL_SCANCODE_RSHIFT, false);
    qmtest::TakeAllMessages();
    EXPECT_EQ(State(VK_SHIFT) & 0x80, 0);
}

TEST_F(KeyboardTest, TranslateMessageMakesPlainCharacters)
{
    auto translateNext = [this]() {
        std::vector<MSG> keys = qmtest::TakeAllMessages();
        EXPECT_FALSE(keys.empty());
        EXPECT_TRUE(TranslateMessage(&keys.back()));
        std::vector<MSG> chars = qmtest::TakeAllMessages();
        return chars.size() == 1 && chars[0].message == WM_CHAR ? static_cast<int>(chars[0].wParam) : -1;
    };
    platform::InjectKey('Q', true);
    EXPECT_EQ(translateNext(), 'q');
    platform::InjectKey(VK_SHIFT, true);
    platform::InjectKey('Q', true);
    EXPECT_EQ(translateNext(), 'Q');
    platform::InjectKey(VK_CONTROL, true);  // control chords are not text
    platform::InjectKey('Q', true);
    EXPECT_EQ(translateNext(), -1);
    MSG other{};
    other.message = WM_USER;
    EXPECT_FALSE(TranslateMessage(&other));
}

// Every name of the game's key-name table must be reachable from a physical key.
TEST(KeyboardLayout, EveryNamedKeyHasAPhysicalKey)
{
    std::set<int> reachable;
    for (int sc = 0; sc < SDL_NUM_SCANCODES; ++sc) {
        if (int vk = platform::VirtualKeyFromScancode(sc)) {
            reachable.insert(vk);
        }
    }
    std::vector<int> named = {0x08, 0x0D, 0x10, 0x11, 0x12, 0x25, 0x26, 0x27, 0x28, 0x20, 0x6A, 0x6B, 0x6D, 0x6E,
                              0x6F, 0xBD, 0xDE, 0xDC, 0xC0, 0xDB, 0xBB, 0xBA, 0xDD, 0xBC, 0xBE, 0xBF, 0xE2};
    for (int vk = 0x30; vk <= 0x39; ++vk) {
        named.push_back(vk);
    }
    for (int vk = 0x41; vk <= 0x5A; ++vk) {
        named.push_back(vk);
    }
    for (int vk = 0x60; vk <= 0x69; ++vk) {
        named.push_back(vk);
    }
    ASSERT_EQ(named.size(), 73u);
    for (int vk : named) {
        EXPECT_TRUE(reachable.count(vk)) << "no key gives 0x" << std::hex << vk;
    }
}

TEST(KeyboardLayout, JisPositionsGiveJapaneseVirtualKeys)
{
    struct Case {
        SDL_Scancode scancode;
        int vk;
    };
    const Case cases[] = {
        {SDL_SCANCODE_MINUS, VK_OEM_MINUS},        {SDL_SCANCODE_EQUALS, VK_OEM_7},
        {SDL_SCANCODE_INTERNATIONAL3, VK_OEM_5},   {SDL_SCANCODE_LEFTBRACKET, VK_OEM_3},
        {SDL_SCANCODE_RIGHTBRACKET, VK_OEM_4},     {SDL_SCANCODE_SEMICOLON, VK_OEM_PLUS},
        {SDL_SCANCODE_APOSTROPHE, VK_OEM_1},       {SDL_SCANCODE_NONUSHASH, VK_OEM_6},
        {SDL_SCANCODE_COMMA, VK_OEM_COMMA},        {SDL_SCANCODE_PERIOD, VK_OEM_PERIOD},
        {SDL_SCANCODE_SLASH, VK_OEM_2},            {SDL_SCANCODE_INTERNATIONAL1, VK_OEM_102},
        {SDL_SCANCODE_KP_MULTIPLY, VK_MULTIPLY},   {SDL_SCANCODE_KP_PLUS, VK_ADD},
        {SDL_SCANCODE_KP_MINUS, VK_SUBTRACT},      {SDL_SCANCODE_KP_PERIOD, VK_DECIMAL},
        {SDL_SCANCODE_KP_DIVIDE, VK_DIVIDE},       {SDL_SCANCODE_KP_0, VK_NUMPAD0},
        {SDL_SCANCODE_KP_9, VK_NUMPAD9},           {SDL_SCANCODE_0, '0'},
        {SDL_SCANCODE_1, '1'},                     {SDL_SCANCODE_A, 'A'},
        {SDL_SCANCODE_Z, 'Z'},                     {SDL_SCANCODE_F4, VK_F4},
        {SDL_SCANCODE_F12, VK_F12},                {SDL_SCANCODE_RCTRL, VK_CONTROL},
        {SDL_SCANCODE_RALT, VK_MENU},              {SDL_SCANCODE_ESCAPE, VK_ESCAPE},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(platform::VirtualKeyFromScancode(c.scancode), c.vk) << SDL_GetScancodeName(c.scancode);
    }
    EXPECT_EQ(platform::SideVirtualKeyFromScancode(SDL_SCANCODE_RALT), VK_RMENU);
    EXPECT_EQ(platform::SideVirtualKeyFromScancode(SDL_SCANCODE_A), 0);
    EXPECT_EQ(platform::VirtualKeyFromScancode(SDL_SCANCODE_UNKNOWN), 0);
    EXPECT_EQ(platform::VirtualKeyFromScancode(-1), 0);
}

}  // namespace
