// Keyboard and game pad turned into a word of 16 logical buttons, sampled once per fixed step.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32/types.h"

// The logical buttons of an input word, one bit each, by the key names of the bindings file.
enum TInputButton : std::uint16_t {
    kButtonUp = 0x0001,
    kButtonDown = 0x0002,
    kButtonLeft = 0x0004,
    kButtonRight = 0x0008,
    kButtonA = 0x0010,  // on the field: attack, talk
    kButtonB = 0x0020,  // on the field: skill
    kButtonC = 0x0040,  // jump
    kButtonD = 0x0080,  // held: the item ring
    kButtonE = 0x0100,  // opens and closes the pause menu
    kButtonF = 0x0200,  // skill selection left
    kButtonG = 0x0400,  // skill selection right
    kButtonH = 0x0800,
    kButtonI = 0x1000,
    kButtonJ = 0x2000,
    kButtonK = 0x4000,
    kButtonL = 0x8000,
    // Every screen decides with A and cancels with B.
    kButtonDecide = kButtonA,
    kButtonCancel = kButtonB,
};

class TInputDevice {
    friend struct TMainProbe;
public:
    static constexpr int kButtons = 16;

    // Input codes: 0..255 virtual keys, 10000..10003 stick up/down/left/right, 10004..10035 pad buttons 1..32.
    static constexpr std::uint32_t kPadUp = 10000;
    static constexpr std::uint32_t kPadDown = 10001;
    static constexpr std::uint32_t kPadLeft = 10002;
    static constexpr std::uint32_t kPadRight = 10003;
    static constexpr std::uint32_t kPadButton1 = 10004;
    static constexpr std::uint32_t kPadButtonLast = 10035;

    // The application's bindings.
    static const std::uint32_t kDefaultKeys[kButtons];
    static const std::uint32_t kDefaultPad[kButtons];

    TInputDevice(const std::string& iniPath, std::uint32_t historyLength, const std::uint32_t keyboardDefaults[kButtons],
                 const std::uint32_t padDefaults[kButtons]);
    virtual ~TInputDevice() = default;
    TInputDevice(const TInputDevice&) = delete;
    TInputDevice& operator=(const TInputDevice&) = delete;

    void LoadBindings();

    // Runs the current poll routine (start-up polls first, then the normal one).
    void PollInput() { (this->*m_poll)(); }
    void PollStartup();
    void Poll();

    // A negative value (bit 31) drops every history entry.
    void ClearState(std::int32_t flags);
    // Bits held through the whole history; 0 when more polls are asked than the history keeps.
    void GetHeldMask(std::uint16_t* out, std::uint32_t polls) const;

    std::uint16_t GetCurrent() const { return static_cast<std::uint16_t>(m_history[0]); }
    std::uint16_t GetPrevious() const { return static_cast<std::uint16_t>(m_history.size() > 1 ? m_history[1] : 0); }
    // History word i (0 now, 1 the poll before, ...); 0 past the history. The player's attack
    // buttons read the pair at 2 and 3.
    std::uint32_t GetWord(std::uint32_t i) const { return i < m_history.size() ? m_history[i] : 0; }
    // The player hides the buttons for a step and puts them back; ignored past the history.
    void SetWord(std::uint32_t i, std::uint32_t value)
    {
        if (i < m_history.size()) {
            m_history[i] = value;
        }
    }
    // Any of the buttons newly down; each counts on its own, so one still held hides no other's press.
    bool IsPressed(std::uint16_t mask) const { return (GetCurrent() & ~GetPrevious() & mask) != 0; }

    static std::int32_t KeyNameToCode(const std::string& name);
    static std::int32_t PadNameToCode(const std::string& text);
    static std::int32_t FindGamePad();

private:
    struct PadSample {
        DWORD x;
        DWORD y;
        DWORD buttons;
    };
    using KeyTest = bool (TInputDevice::*)(std::uint32_t param) const;
    using PadTest = bool (TInputDevice::*)(std::uint32_t param, const PadSample& pad) const;
    static constexpr std::uint32_t kUnset = 0xFFFFFFFFu;

    struct KeyBinding {
        KeyTest test = nullptr;
        std::uint32_t param = kUnset;
        std::uint32_t code = 0;
    };
    struct PadBinding {
        PadTest test = nullptr;
        std::uint32_t param = kUnset;
        std::uint32_t code = 0;
    };

    static bool IsValidCode(std::int64_t code);
    void SetKeyboardBinding(int button, std::int64_t code, std::uint32_t fallback);
    void SetPadBinding(int button, std::int64_t code, std::uint32_t fallback);
    void SetupGamePad();
    void ShiftHistory();

    bool TestKey(std::uint32_t vk) const;
    bool TestPadUp(std::uint32_t, const PadSample& pad) const { return pad.y < m_yLow; }
    bool TestPadDown(std::uint32_t, const PadSample& pad) const { return pad.y > m_yHigh; }
    bool TestPadLeft(std::uint32_t, const PadSample& pad) const { return pad.x < m_xLow; }
    bool TestPadRight(std::uint32_t, const PadSample& pad) const { return pad.x > m_xHigh; }
    bool TestPadButton(std::uint32_t mask, const PadSample& pad) const { return (pad.buttons & mask) != 0; }

    std::string m_iniPath;
    std::uint32_t m_defaultKeys[kButtons];
    std::uint32_t m_defaultPad[kButtons];
    KeyBinding m_keyboard[kButtons];
    PadBinding m_pad[kButtons];
    void (TInputDevice::*m_poll)();
    std::int32_t m_padId;
    std::uint16_t m_xLow = 10000;
    std::uint16_t m_xHigh = 50000;
    std::uint16_t m_yLow = 10000;
    std::uint16_t m_yHigh = 50000;
    BYTE m_keys[256] = {};
    std::vector<std::uint32_t> m_history;  // entry 0 is the newest
    std::uint32_t m_countdown = 5;
};
