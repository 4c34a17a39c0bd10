#include <SDL.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "MainCode/TInputDevice.h"
#include "platform/testing/win32.h"
#include "platform/win32/joystick.h"
#include "platform/win32/keyboard.h"
#include "support/alloc_probe.h"
#include "formats/byte_writer.h"
#include "formats/ini_writer.h"
#include "support/main_probe.h"
#include "support/temp_dir.h"

namespace {

constexpr std::uint16_t kA = 0x0010;
constexpr std::uint16_t kB = 0x0020;
constexpr std::uint16_t kUp = 0x0001;
constexpr std::uint16_t kDown = 0x0002;
constexpr std::uint16_t kLeft = 0x0004;
constexpr std::uint16_t kRight = 0x0008;

class InputTest : public ::testing::Test {
protected:
    void SetUp() override { platform::ResetKeyboardState(); }
    void TearDown() override
    {
        platform::ResetKeyboardState();
        DetachPad();
    }
    std::unique_ptr<TInputDevice> Make(const std::string& ini = "missing.ini")
    {
        return std::make_unique<TInputDevice>(dir_.File(ini), 10, TInputDevice::kDefaultKeys, TInputDevice::kDefaultPad);
    }
    static void Poll(TInputDevice& input, int times)
    {
        for (int i = 0; i < times; ++i) {
            input.PollInput();
        }
    }
    // A virtual game pad (two axes unless told); must exist before the device is made (it looks for
    // pads then).
    void AttachPad(int axes = 2, int buttons = 16)
    {
        ASSERT_EQ(joyGetNumDevs(), 16u);
        index_ = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, axes, buttons, 0);
        ASSERT_GE(index_, 0) << SDL_GetError();
        pad_ = SDL_JoystickOpen(index_);
        ASSERT_NE(pad_, nullptr);
    }
    void DetachPad()
    {
        if (pad_ != nullptr) {
            SDL_JoystickClose(pad_);
            SDL_JoystickDetachVirtual(index_);
            pad_ = nullptr;
            index_ = -1;
        }
    }
    void SetPad(Sint16 x, Sint16 y, Uint8 button)
    {
        SDL_JoystickSetVirtualAxis(pad_, 0, x);
        SDL_JoystickSetVirtualAxis(pad_, 1, y);
        SDL_JoystickSetVirtualButton(pad_, 0, button);
        SDL_JoystickUpdate();
    }

    qmtest::TempDir dir_;
    int index_ = -1;
    SDL_Joystick* pad_ = nullptr;
};

TEST_F(InputTest, FirstFivePollsIgnoreHeldKeys)
{
    auto input = Make();
    platform::InjectKey('Z', true);
    for (int i = 0; i < 5; ++i) {
        input->PollInput();
        EXPECT_EQ(input->GetCurrent(), 0) << i;
    }
    input->PollInput();
    EXPECT_TRUE(input->IsPressed(kA));
    input->PollInput();
    EXPECT_TRUE(TMainProbe::IsHeld(*input, kA));
    EXPECT_FALSE(input->IsPressed(kA));
}

TEST_F(InputTest, WithoutAnIniEveryButtonHasItsBuiltInKeyAndPadInput)
{
    const std::int64_t keys[16] = {VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT, 'Z', 'X', 'C', 'V',
                                   'B',   'A',     'S',     'Q',      'W', 'E', 'R', 'T'};
    const std::int64_t pad[16] = {10000, 10001, 10002, 10003, 10004, 10005, 10006, 10007,
                                  10008, 10010, 10011, 10009, 10012, 10013, 10014, 10015};
    auto input = Make();
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(TMainProbe::KeyboardBinding(*input, i), keys[i]) << i;
        EXPECT_EQ(TMainProbe::PadBinding(*input, i), pad[i]) << i;
    }
}

TEST_F(InputTest, BindingsFromTheIniFallBackPerButton)
{
    qmtest::IniWriter()
        .Section("Keyboard")
        .Key("A", "SPACE")
        .Key("B", "x")  // lower case is not a key name
        .Key("D", "＼")
        .Section("GamePad")
        .Key("A", "GamePadBtn5")      // ten characters, then 5: code 10004
        .Key("B", "0123456789" "36")  // the last valid code
        .Key("C", "0123456789" "0")
        .Key("D", "0123456789" "37")
        .Save(dir_.File("input.ini"));
    auto input = Make("input.ini");
    EXPECT_EQ(TMainProbe::KeyboardBinding(*input, 4), 0x20);
    EXPECT_EQ(TMainProbe::KeyboardBinding(*input, 5), 'X');  // default
    EXPECT_EQ(TMainProbe::KeyboardBinding(*input, 7), 0xE2);
    EXPECT_EQ(TMainProbe::KeyboardBinding(*input, 0), VK_UP);  // missing key: default
    EXPECT_EQ(TMainProbe::PadBinding(*input, 4), 10004);
    EXPECT_EQ(TMainProbe::PadBinding(*input, 5), 10035);
    EXPECT_EQ(TMainProbe::PadBinding(*input, 6), 10006);  // defaults
    EXPECT_EQ(TMainProbe::PadBinding(*input, 7), 10007);
    EXPECT_EQ(TInputDevice::KeyNameToCode("enter"), -1);
    EXPECT_EQ(TInputDevice::PadNameToCode("xxxxxxxxxx1"), 10000);
    EXPECT_EQ(TInputDevice::PadNameToCode("xxxxxxxxxx-3"), -1);
    EXPECT_EQ(TInputDevice::PadNameToCode("xxxxxxxxx5"), -1);  // ten characters only

    Poll(*input, 5);
    platform::InjectKey(VK_SPACE, true);
    input->PollInput();
    EXPECT_TRUE(TMainProbe::IsHeld(*input, kA));
    platform::InjectKey(VK_SPACE, false);
    platform::InjectKey('Z', true);  // no longer bound to A
    input->PollInput();
    EXPECT_EQ(input->GetCurrent(), 0);
}

// An input.ini that is no file, or longer than any settings file, is read as missing: the game
// starts at once with its built-in bindings (A on Z), where a FIFO held the start-up and /dev/zero
// filled the memory.
TEST_F(InputTest, AnInputIniThatIsNoFileOrTooLongGivesTheBuiltInBindings)
{
    const std::string head = "[Keyboard]\r\nA=SPACE\r\n;";
    qmtest::ByteWriter().Bytes(head + std::string(65536 - head.size(), '-')).Save(dir_.File("full.ini"));
    qmtest::ByteWriter().Bytes(head + std::string(65537 - head.size(), '-')).Save(dir_.File("over.ini"));
    ASSERT_EQ(mkfifo(dir_.File("pipe.ini").c_str(), 0644), 0);
    std::filesystem::create_symlink("/dev/zero", dir_.Path() / "zero.ini");
    const struct {
        const char* ini;
        std::int64_t a;
    } cases[] = {{"full.ini", 0x20}, {"over.ini", 'Z'}, {"pipe.ini", 'Z'}, {"zero.ini", 'Z'}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ini);
        auto input = Make(c.ini);
        EXPECT_EQ(TMainProbe::KeyboardBinding(*input, 4), c.a);
        EXPECT_EQ(TMainProbe::KeyboardBinding(*input, 5), 'X');
    }
}

TEST_F(InputTest, HeldMaskNeedsTheWholeHistory)
{
    auto input = Make();
    Poll(*input, 5);
    platform::InjectKey('X', true);
    std::uint16_t mask = 0xFFFF;
    Poll(*input, 9);
    input->GetHeldMask(&mask, 10);
    EXPECT_EQ(mask, 0);  // held for nine polls only
    input->PollInput();
    input->GetHeldMask(&mask, 10);
    EXPECT_EQ(mask, kB);
    input->GetHeldMask(&mask, 11);
    EXPECT_EQ(mask, 0);
    platform::InjectKey('X', false);
    input->PollInput();
    platform::InjectKey('X', true);
    Poll(*input, 9);
    input->GetHeldMask(&mask, 10);
    EXPECT_EQ(mask, 0);  // released once within the last ten polls
}

// Most pads report four to six axes: such a pad, found by no two-axis search, is still the one
// used (pad 0), with its stick's thirds and its first button.
TEST_F(InputTest, APadWithMoreThanTwoAxesIsStillUsedAsPadZero)
{
    const struct {
        int axes;
        int buttons;
    } pads[] = {{4, 10}, {6, 12}};
    for (const auto& p : pads) {
        SCOPED_TRACE(p.axes);
        AttachPad(p.axes, p.buttons);
        ASSERT_EQ(index_, 0);
        auto input = Make();
        EXPECT_EQ(TMainProbe::PadId(*input), 0);
        std::uint16_t t[4] = {};
        TMainProbe::PadThresholds(*input, t);
        EXPECT_EQ(std::vector<std::uint16_t>(t, t + 4), (std::vector<std::uint16_t>{21845, 43690, 21845, 43690}));
        Poll(*input, 5);
        SetPad(-32768, 32767, SDL_PRESSED);
        input->PollInput();
        EXPECT_EQ(input->GetCurrent(), kLeft | kDown | kA);
        SetPad(0, 0, SDL_RELEASED);
        input->PollInput();
        EXPECT_EQ(input->GetCurrent(), 0);
        input.reset();
        DetachPad();
    }
}

TEST_F(InputTest, StickThirdsAtTheirExactValuesAndPadButtonsShareAButtonWithKeys)
{
    std::uint16_t t[4] = {};
    TMainProbe::PadThresholds(*Make(), t);
    EXPECT_EQ(std::vector<std::uint16_t>(t, t + 4), (std::vector<std::uint16_t>{10000, 50000, 10000, 50000}));

    AttachPad();
    auto input = Make();
    ASSERT_EQ(TMainProbe::PadId(*input), index_);
    TMainProbe::PadThresholds(*input, t);
    // Axis 0..65535: (2*min + max)/3 and (min + 2*max)/3.
    EXPECT_EQ(std::vector<std::uint16_t>(t, t + 4), (std::vector<std::uint16_t>{21845, 43690, 21845, 43690}));
    Poll(*input, 5);
    // The pad reads an SDL axis value v as v + 32768: low fires below 21845, high above 43690.
    const struct {
        Sint16 x;
        Sint16 y;
        Uint8 button;
        std::uint16_t want;
    } cases[] = {
        {-10923, 0, 0, 0}, {-10924, 0, 0, kLeft}, {10922, 0, 0, 0}, {10923, 0, 0, kRight},
        {0, -10923, 0, 0}, {0, -10924, 0, kUp},   {0, 10922, 0, 0}, {0, 10923, 0, kDown},
        {0, 0, 0, 0},      {-32768, 32767, 0, kLeft | kDown},       {32767, -32768, 0, kRight | kUp},
        {-32768, 0, SDL_PRESSED, kLeft | kA},  // button 1 is A
    };
    for (const auto& c : cases) {
        SetPad(c.x, c.y, c.button);
        input->PollInput();
        EXPECT_EQ(input->GetCurrent(), c.want) << c.x << ", " << c.y;
    }

    // Key and pad on one button: either one holds it.
    SetPad(0, 0, SDL_PRESSED);
    platform::InjectKey('Z', true);
    input->PollInput();
    EXPECT_EQ(input->GetCurrent(), kA);
    SetPad(0, 0, SDL_RELEASED);
    input->PollInput();
    EXPECT_EQ(input->GetCurrent(), kA);
    platform::InjectKey('Z', false);
    input->PollInput();
    EXPECT_EQ(input->GetCurrent(), 0);

    // Polling allocates nothing.
    platform::InjectKey('Z', true);
    if (!qmtest::AllocationProbe::Available()) {
        GTEST_SKIP() << "the allocation probe could not hook the allocator";
    }
    long allocations = 0;
    {
        qmtest::AllocationProbe probe;
        Poll(*input, 50);
        allocations = probe.Allocations();
    }
    EXPECT_EQ(allocations, 0);
    EXPECT_TRUE(TMainProbe::IsHeld(*input, kA));
}

}  // namespace
