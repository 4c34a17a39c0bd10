#include "platform/win32/joystick.h"

#include <SDL.h>
#include <gtest/gtest.h>

namespace {

// SDL's virtual joystick stands in for a game pad.
class JoystickTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(joyGetNumDevs(), 16u);
        slot_ = static_cast<UINT>(SDL_NumJoysticks());  // real pads come first
        if (slot_ + 1 >= 16) {
            GTEST_SKIP() << "no free joystick slot";
        }
    }

    void TearDown() override { Detach(); }

    void Attach(int axes, int buttons, int hats)
    {
        index_ = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, axes, buttons, hats);
        ASSERT_EQ(index_, static_cast<int>(slot_)) << SDL_GetError();
        pad_ = SDL_JoystickOpen(index_);
        ASSERT_NE(pad_, nullptr);
    }

    void Detach()
    {
        if (pad_ != nullptr) {
            SDL_JoystickClose(pad_);
            pad_ = nullptr;
        }
        if (index_ >= 0) {
            EXPECT_EQ(SDL_JoystickDetachVirtual(index_), 0);
            index_ = -1;
        }
    }

    JOYINFOEX Read()
    {
        JOYINFOEX info{};
        info.dwSize = sizeof info;
        info.dwFlags = JOY_RETURNALL;
        EXPECT_EQ(joyGetPosEx(slot_, &info), static_cast<MMRESULT>(JOYERR_NOERROR));
        return info;
    }

    UINT slot_ = 0;
    int index_ = -1;
    SDL_Joystick* pad_ = nullptr;
};

TEST_F(JoystickTest, AxesMapOntoTheUnsignedRange)
{
    Attach(2, 4, 0);
    // Centre, the game's thirds (21845 / 43690) and both extremes.
    const std::pair<Sint16, DWORD> cases[] = {
        {0, 32768}, {-10923, 21845}, {-10924, 21844}, {10922, 43690}, {10923, 43691}, {-32768, 0}, {32767, 65535}};
    for (const auto& [sdl, expected] : cases) {
        ASSERT_EQ(SDL_JoystickSetVirtualAxis(pad_, 0, sdl), 0);
        ASSERT_EQ(SDL_JoystickSetVirtualAxis(pad_, 1, static_cast<Sint16>(-sdl - 1)), 0);
        JOYINFOEX info = Read();
        EXPECT_EQ(info.dwXpos, expected) << sdl;
        EXPECT_EQ(info.dwYpos, 65535u - expected) << sdl;
    }
}

TEST_F(JoystickTest, CapsButtonsAndHatReadAsWindowsReportsThem)
{
    JOYCAPSA caps{};
    EXPECT_EQ(joyGetDevCapsA(slot_, &caps, sizeof caps), static_cast<MMRESULT>(JOYERR_UNPLUGGED));
    Attach(1, 20, 1);
    ASSERT_EQ(joyGetDevCapsA(slot_, &caps, sizeof caps), static_cast<MMRESULT>(JOYERR_NOERROR));
    EXPECT_EQ(caps.wNumButtons, 20u);
    JOYINFOEX info = Read();
    EXPECT_EQ(info.dwYpos, 32768u);  // a stick without a Y axis rests in the middle

    for (int button : {0, 5, 19}) {
        ASSERT_EQ(SDL_JoystickSetVirtualButton(pad_, button, SDL_PRESSED), 0);
    }
    ASSERT_EQ(SDL_JoystickSetVirtualHat(pad_, 0, SDL_HAT_LEFT), 0);
    info = Read();
    EXPECT_EQ(info.dwButtons, (1u << 0) | (1u << 5) | (1u << 19));
    EXPECT_EQ(info.dwPOV, static_cast<DWORD>(JOY_POVLEFT));
}

}  // namespace
