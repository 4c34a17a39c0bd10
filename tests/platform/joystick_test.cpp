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

    JOYINFOEX Read(MMRESULT expected = JOYERR_NOERROR, DWORD flags = JOY_RETURNALL)
    {
        JOYINFOEX info{};
        info.dwSize = sizeof info;
        info.dwFlags = flags;
        info.dwYpos = 777;
        EXPECT_EQ(joyGetPosEx(slot_, &info), expected);
        return info;
    }

    MMRESULT Caps(JOYCAPSA& caps, UINT id, UINT size = sizeof(JOYCAPSA)) { return joyGetDevCapsA(id, &caps, size); }

    UINT slot_ = 0;
    int index_ = -1;
    SDL_Joystick* pad_ = nullptr;
};

TEST_F(JoystickTest, CapsDescribeTheStickAndEmptySlotsAreUnplugged)
{
    JOYCAPSA caps{};
    EXPECT_EQ(Caps(caps, slot_), static_cast<MMRESULT>(JOYERR_UNPLUGGED));
    Read(JOYERR_UNPLUGGED);

    Attach(2, 12, 1);
    ASSERT_EQ(Caps(caps, slot_), static_cast<MMRESULT>(JOYERR_NOERROR));
    EXPECT_EQ(caps.wNumAxes, 2u);
    EXPECT_EQ(caps.wNumButtons, 12u);
    EXPECT_EQ(caps.wXmax, 65535u);
    EXPECT_EQ(caps.wYmax, 65535u);
    EXPECT_EQ(caps.wCaps & JOYCAPS_HASZ, 0u);
    EXPECT_NE(caps.wCaps & JOYCAPS_HASPOV, 0u);
    EXPECT_EQ(Caps(caps, slot_ + 1), static_cast<MMRESULT>(JOYERR_UNPLUGGED));
    EXPECT_EQ(Caps(caps, 16), static_cast<MMRESULT>(JOYERR_PARMS));
    EXPECT_EQ(Caps(caps, slot_, sizeof caps - 1), static_cast<MMRESULT>(JOYERR_PARMS));
    EXPECT_EQ(joyGetDevCapsA(slot_, nullptr, sizeof caps), static_cast<MMRESULT>(JOYERR_PARMS));

    // Unplugged, the slot is empty; a pad plugged in again is found in the same slot.
    Detach();
    Read(JOYERR_UNPLUGGED);
    Attach(2, 16, 0);
    ASSERT_EQ(Caps(caps, slot_), static_cast<MMRESULT>(JOYERR_NOERROR));
    EXPECT_EQ(caps.wNumButtons, 16u);
}

TEST_F(JoystickTest, AxesMapOntoTheUnsignedRange)
{
    Attach(6, 4, 0);
    // Centre, the game's thirds (21845 / 43690) and both extremes.
    const std::pair<Sint16, DWORD> cases[] = {{0, 32768},     {-10923, 21845}, {-10924, 21844}, {10922, 43690},
                                              {10923, 43691}, {-32768, 0},     {32767, 65535}};
    for (const auto& [sdl, expected] : cases) {
        ASSERT_EQ(SDL_JoystickSetVirtualAxis(pad_, 0, sdl), 0);
        ASSERT_EQ(SDL_JoystickSetVirtualAxis(pad_, 1, static_cast<Sint16>(-sdl - 1)), 0);
        JOYINFOEX info = Read();
        EXPECT_EQ(info.dwXpos, expected) << sdl;
        EXPECT_EQ(info.dwYpos, 65535u - expected) << sdl;
    }
    ASSERT_EQ(SDL_JoystickSetVirtualAxis(pad_, 5, -32768), 0);
    EXPECT_EQ(Read().dwVpos, 0u);
    EXPECT_EQ(Read(JOYERR_NOERROR, JOY_RETURNX).dwYpos, 777u);  // only the fields asked for are written
}

TEST_F(JoystickTest, ButtonsAndHatReadAsWindowsReportsThem)
{
    Attach(1, 20, 1);
    JOYINFOEX info = Read();
    EXPECT_EQ(info.dwButtons, 0u);
    EXPECT_EQ(info.dwYpos, 32768u);  // a stick without a Y axis rests in the middle
    EXPECT_EQ(info.dwPOV, static_cast<DWORD>(JOY_POVCENTERED));

    for (int button : {0, 5, 19}) {
        ASSERT_EQ(SDL_JoystickSetVirtualButton(pad_, button, SDL_PRESSED), 0);
    }
    ASSERT_EQ(SDL_JoystickSetVirtualHat(pad_, 0, SDL_HAT_LEFT), 0);
    info = Read();
    EXPECT_EQ(info.dwButtons, (1u << 0) | (1u << 5) | (1u << 19));
    EXPECT_EQ(info.dwButtonNumber, 3u);
    EXPECT_EQ(info.dwPOV, static_cast<DWORD>(JOY_POVLEFT));
}

}  // namespace
