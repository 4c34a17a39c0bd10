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

    void TearDown() override
    {
        if (pad_ != nullptr) {
            SDL_JoystickClose(pad_);
        }
        if (index_ >= 0) {
            SDL_JoystickDetachVirtual(index_);
        }
    }

    void Attach(int axes, int buttons, int hats)
    {
        index_ = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, axes, buttons, hats);
        ASSERT_EQ(index_, static_cast<int>(slot_)) << SDL_GetError();
        pad_ = SDL_JoystickOpen(index_);
        ASSERT_NE(pad_, nullptr);
    }

    static JOYINFOEX Read(UINT id, MMRESULT expected = JOYERR_NOERROR)
    {
        JOYINFOEX info{};
        info.dwSize = sizeof info;
        info.dwFlags = JOY_RETURNALL;
        EXPECT_EQ(joyGetPosEx(id, &info), expected);
        return info;
    }

    UINT slot_ = 0;
    int index_ = -1;
    SDL_Joystick* pad_ = nullptr;
};

TEST_F(JoystickTest, CapsDescribeTheStickAndEmptySlotsAreUnplugged)
{
    JOYCAPSA caps{};
    EXPECT_EQ(joyGetDevCapsA(slot_, &caps, sizeof caps), static_cast<MMRESULT>(JOYERR_UNPLUGGED));
    EXPECT_EQ(caps.wNumAxes, 0u);  // left as it was
    Read(slot_, JOYERR_UNPLUGGED);

    Attach(2, 12, 1);
    ASSERT_EQ(joyGetDevCapsA(slot_, &caps, sizeof caps), static_cast<MMRESULT>(JOYERR_NOERROR));
    EXPECT_EQ(caps.wNumAxes, 2u);
    EXPECT_EQ(caps.wNumButtons, 12u);
    EXPECT_EQ(caps.wXmin, 0u);
    EXPECT_EQ(caps.wXmax, 65535u);
    EXPECT_EQ(caps.wYmin, 0u);
    EXPECT_EQ(caps.wYmax, 65535u);
    EXPECT_EQ(caps.wMaxAxes, 6u);
    EXPECT_EQ(caps.wMaxButtons, 32u);
    EXPECT_EQ(caps.wCaps & JOYCAPS_HASZ, 0u);
    EXPECT_NE(caps.wCaps & JOYCAPS_HASPOV, 0u);
    EXPECT_NE(caps.szPname[0], '\0');
    EXPECT_EQ(joyGetDevCapsA(slot_ + 1, &caps, sizeof caps), static_cast<MMRESULT>(JOYERR_UNPLUGGED));

    EXPECT_EQ(joyGetDevCapsA(16, &caps, sizeof caps), static_cast<MMRESULT>(JOYERR_PARMS));
    EXPECT_EQ(joyGetDevCapsA(slot_, nullptr, sizeof caps), static_cast<MMRESULT>(JOYERR_PARMS));
    EXPECT_EQ(joyGetDevCapsA(slot_, &caps, sizeof caps - 1), static_cast<MMRESULT>(JOYERR_PARMS));
    JOYINFOEX info{};
    info.dwSize = 48;
    info.dwFlags = JOY_RETURNALL;
    EXPECT_EQ(joyGetPosEx(slot_, &info), static_cast<MMRESULT>(JOYERR_PARMS));
}

TEST_F(JoystickTest, AxesMapOntoTheUnsignedRange)
{
    Attach(6, 4, 0);
    struct Case {
        Sint16 sdl;
        DWORD expected;
    };
    // Centre, the game's thirds (21845 / 43690) and both extremes.
    const Case cases[] = {{0, 32768},     {-10923, 21845}, {-10924, 21844}, {10922, 43690},
                          {10923, 43691}, {-32768, 0},     {32767, 65535}};
    for (const Case& c : cases) {
        ASSERT_EQ(SDL_JoystickSetVirtualAxis(pad_, 0, c.sdl), 0);
        ASSERT_EQ(SDL_JoystickSetVirtualAxis(pad_, 1, static_cast<Sint16>(-c.sdl - 1)), 0);
        JOYINFOEX info = Read(slot_);
        EXPECT_EQ(info.dwXpos, c.expected) << c.sdl;
        EXPECT_EQ(info.dwYpos, 65535u - c.expected) << c.sdl;
    }
    ASSERT_EQ(SDL_JoystickSetVirtualAxis(pad_, 5, -32768), 0);
    EXPECT_EQ(Read(slot_).dwVpos, 0u);

    // Only the fields asked for are written.
    JOYINFOEX info{};
    info.dwSize = sizeof info;
    info.dwFlags = JOY_RETURNX;
    info.dwYpos = 777;
    ASSERT_EQ(joyGetPosEx(slot_, &info), static_cast<MMRESULT>(JOYERR_NOERROR));
    EXPECT_EQ(info.dwYpos, 777u);
}

TEST_F(JoystickTest, ButtonsAndHatReadAsWindowsReportsThem)
{
    Attach(1, 20, 1);
    JOYINFOEX info = Read(slot_);
    EXPECT_EQ(info.dwButtons, 0u);
    EXPECT_EQ(info.dwYpos, 32768u);  // a stick without a Y axis rests in the middle
    EXPECT_EQ(info.dwPOV, static_cast<DWORD>(JOY_POVCENTERED));

    ASSERT_EQ(SDL_JoystickSetVirtualButton(pad_, 0, SDL_PRESSED), 0);
    ASSERT_EQ(SDL_JoystickSetVirtualButton(pad_, 5, SDL_PRESSED), 0);
    ASSERT_EQ(SDL_JoystickSetVirtualButton(pad_, 19, SDL_PRESSED), 0);
    ASSERT_EQ(SDL_JoystickSetVirtualHat(pad_, 0, SDL_HAT_LEFT), 0);
    info = Read(slot_);
    EXPECT_EQ(info.dwButtons, (1u << 0) | (1u << 5) | (1u << 19));
    EXPECT_EQ(info.dwButtonNumber, 3u);
    EXPECT_EQ(info.dwPOV, static_cast<DWORD>(JOY_POVLEFT));

    ASSERT_EQ(SDL_JoystickSetVirtualButton(pad_, 5, SDL_RELEASED), 0);
    EXPECT_EQ(Read(slot_).dwButtons, (1u << 0) | (1u << 19));
}

TEST_F(JoystickTest, UnpluggingEmptiesTheSlot)
{
    Attach(2, 8, 0);
    Read(slot_);
    SDL_JoystickClose(pad_);
    pad_ = nullptr;
    ASSERT_EQ(SDL_JoystickDetachVirtual(index_), 0);
    index_ = -1;
    Read(slot_, JOYERR_UNPLUGGED);
    JOYCAPSA caps{};
    EXPECT_EQ(joyGetDevCapsA(slot_, &caps, sizeof caps), static_cast<MMRESULT>(JOYERR_UNPLUGGED));

    // A pad plugged in again is found in the same slot.
    Attach(2, 16, 0);
    ASSERT_EQ(joyGetDevCapsA(slot_, &caps, sizeof caps), static_cast<MMRESULT>(JOYERR_NOERROR));
    EXPECT_EQ(caps.wNumButtons, 16u);
}

}  // namespace
