#include "MainCode/TInputDevice.h"

#include <algorithm>
#include <cstdlib>
#include <map>

#include "TUtility/TIni.h"
#include "platform/win32/joystick.h"
#include "platform/win32/keyboard.h"

namespace {

const char* const kButtonNames[TInputDevice::kButtons] = {"UP", "DOWN", "LEFT", "RIGHT", "A", "B", "C", "D",
                                                          "E",  "F",    "G",    "H",     "I", "J", "K", "L"};

const std::map<std::string, std::int32_t>& KeyNameTable()
{
    static const std::map<std::string, std::int32_t> table = [] {
        std::map<std::string, std::int32_t> t = {
            {"BACKSPACE", 0x08}, {"ENTER", 0x0D},   {"SHIFT", 0x10},   {"CTRL", 0x11},    {"ALT", 0x12},
            {"LEFT", 0x25},      {"UP", 0x26},      {"RIGHT", 0x27},   {"DOWN", 0x28},    {"SPACE", 0x20},
            {"NUMPAD*", 0x6A},   {"NUMPAD+", 0x6B}, {"NUMPAD-", 0x6D}, {"NUMPAD.", 0x6E}, {"NUMPAD/", 0x6F},
            {"-", 0xBD},         {"^", 0xDE},       {"\\", 0xDC},      {"@", 0xC0},       {"[", 0xDB},
            {";", 0xBB},         {":", 0xBA},       {"]", 0xDD},       {",", 0xBC},       {".", 0xBE},
            {"/", 0xBF},         {"＼", 0xE2},
        };
        for (int i = 0; i <= 9; ++i) {
            t[std::string(1, static_cast<char>('0' + i))] = 0x30 + i;
            t["NUMPAD" + std::string(1, static_cast<char>('0' + i))] = 0x60 + i;
        }
        for (int i = 0; i < 26; ++i) {
            t[std::string(1, static_cast<char>('A' + i))] = 0x41 + i;
        }
        return t;
    }();
    return table;
}

}  // namespace

const std::uint32_t TInputDevice::kDefaultKeys[kButtons] = {
    VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT, 'Z', 'X', 'C', 'V', 'B', 'A', 'S', 'Q', 'W', 'E', 'R', 'T',
};

const std::uint32_t TInputDevice::kDefaultPad[kButtons] = {
    10000, 10001, 10002, 10003, 10004, 10005, 10006, 10007,
    10008, 10010, 10011, 10009, 10012, 10013, 10014, 10015,
};

TInputDevice::TInputDevice(const std::string& iniPath, std::uint32_t historyLength,
                           const std::uint32_t keyboardDefaults[kButtons], const std::uint32_t padDefaults[kButtons])
    : m_iniPath(iniPath), m_poll(&TInputDevice::PollStartup), m_padId(FindGamePad())
{
    std::copy(keyboardDefaults, keyboardDefaults + kButtons, m_defaultKeys);
    std::copy(padDefaults, padDefaults + kButtons, m_defaultPad);
    // Entry 0 (now) and entry 1 (before) are always there for the readers.
    m_history.assign(std::max<std::uint32_t>(historyLength, 2), 0);
    LoadBindings();
}

bool TInputDevice::IsValidCode(std::int64_t code)
{
    return (code >= 0 && code <= 255) || (code >= kPadUp && code <= kPadButtonLast);
}

void TInputDevice::SetKeyboardBinding(int button, std::int64_t code, std::uint32_t fallback)
{
    const std::uint32_t c = IsValidCode(code) ? static_cast<std::uint32_t>(code) : fallback;
    KeyBinding& b = m_keyboard[button];
    b.code = c;
    if (c <= 255) {
        b.test = &TInputDevice::TestKey;
        b.param = c;
    } else {
        // A pad code on the keyboard side never fires: the keyboard test only reads the key table.
        b.test = nullptr;
        b.param = kUnset;
    }
}

void TInputDevice::SetPadBinding(int button, std::int64_t code, std::uint32_t fallback)
{
    const std::uint32_t c = IsValidCode(code) ? static_cast<std::uint32_t>(code) : fallback;
    PadBinding& b = m_pad[button];
    b.code = c;
    b.param = 0;
    switch (c) {
    case kPadUp: b.test = &TInputDevice::TestPadUp; break;
    case kPadDown: b.test = &TInputDevice::TestPadDown; break;
    case kPadLeft: b.test = &TInputDevice::TestPadLeft; break;
    case kPadRight: b.test = &TInputDevice::TestPadRight; break;
    default:
        if (c >= kPadButton1 && c <= kPadButtonLast) {
            b.test = &TInputDevice::TestPadButton;
            b.param = 1u << (c - kPadButton1);
        } else {
            b.test = nullptr;
            b.param = kUnset;
        }
        break;
    }
}

void TInputDevice::LoadBindings()
{
    SetupGamePad();
    ClearState(static_cast<std::int32_t>(0x80000001u));

    TIni ini(m_iniPath, 4096, 4096, 1024);
    if (!ini.Load()) {
        for (int i = 0; i < kButtons; ++i) {
            SetKeyboardBinding(i, m_defaultKeys[i], m_defaultKeys[i]);
            SetPadBinding(i, m_defaultPad[i], m_defaultPad[i]);
        }
        return;
    }
    for (int i = 0; i < kButtons; ++i) {
        std::string key;
        ini.GetString("Keyboard", kButtonNames[i], key);
        SetKeyboardBinding(i, KeyNameToCode(key), m_defaultKeys[i]);
        std::string pad;
        ini.GetString("GamePad", kButtonNames[i], pad);
        SetPadBinding(i, PadNameToCode(pad), m_defaultPad[i]);
    }
}

std::int32_t TInputDevice::KeyNameToCode(const std::string& name)
{
    const auto& table = KeyNameTable();
    auto it = table.find(name);
    return it == table.end() ? -1 : it->second;
}

std::int32_t TInputDevice::PadNameToCode(const std::string& text)
{
    if (text.size() < 11) {
        return -1;
    }
    // Only the number after the first ten characters counts ("GamePadBtn5" style names).
    const int n = std::atoi(text.c_str() + 10);
    if (n < 1 || n > 36) {
        return -1;
    }
    return static_cast<std::int32_t>(kPadUp) + n - 1;
}

std::int32_t TInputDevice::FindGamePad()
{
    if (joyGetNumDevs() == 0) {
        return -1;
    }
    JOYCAPSA caps[16] = {};
    for (UINT id = 0; id < 16; ++id) {
        if (joyGetDevCapsA(id, &caps[id], sizeof(JOYCAPSA)) != JOYERR_NOERROR) {
            caps[id] = JOYCAPSA{};
        }
    }
    for (int id = 0; id < 16; ++id) {
        if (caps[id].wNumAxes == 2 && caps[id].wNumButtons >= 16) {
            return id;
        }
    }
    for (int id = 0; id < 16; ++id) {
        if (caps[id].wNumAxes == 2 && caps[id].wNumButtons >= 8) {
            return id;
        }
    }
    int best = -1;
    UINT most = 0;
    for (int id = 0; id < 16; ++id) {
        if (caps[id].wNumAxes == 2 && caps[id].wNumButtons > most) {
            most = caps[id].wNumButtons;
            best = id;
        }
    }
    return best >= 0 ? best : 0;
}

void TInputDevice::SetupGamePad()
{
    JOYCAPSA caps = {};
    if (m_padId >= 0 && joyGetDevCapsA(static_cast<UINT>(m_padId), &caps, sizeof(JOYCAPSA)) == JOYERR_NOERROR) {
        m_xLow = static_cast<std::uint16_t>((2u * caps.wXmin + caps.wXmax) / 3u);
        m_xHigh = static_cast<std::uint16_t>((caps.wXmin + 2u * caps.wXmax) / 3u);
        m_yLow = static_cast<std::uint16_t>((2u * caps.wYmin + caps.wYmax) / 3u);
        m_yHigh = static_cast<std::uint16_t>((caps.wYmin + 2u * caps.wYmax) / 3u);
    } else {
        m_xLow = 10000;
        m_xHigh = 50000;
        m_yLow = 10000;
        m_yHigh = 50000;
    }
}

void TInputDevice::ClearState(std::int32_t flags)
{
    if (flags < 0) {
        std::fill(m_history.begin(), m_history.end(), 0u);
    }
}

void TInputDevice::GetHeldMask(std::uint16_t* out, std::uint32_t polls) const
{
    if (polls > m_history.size()) {
        *out = 0;
        return;
    }
    std::uint32_t mask = 0xFFFF;
    for (std::uint32_t entry : m_history) {
        mask &= entry;
    }
    *out = static_cast<std::uint16_t>(mask);
}

void TInputDevice::ShiftHistory()
{
    for (std::size_t k = m_history.size() - 1; k > 0; --k) {
        m_history[k] = m_history[k - 1];
    }
    m_history[0] = 0;
}

void TInputDevice::PollStartup()
{
    ShiftHistory();
    if (m_countdown > 0) {
        --m_countdown;
    }
    if (m_countdown == 0) {
        m_poll = &TInputDevice::Poll;
    }
}

bool TInputDevice::TestKey(std::uint32_t vk) const
{
    return (m_keys[vk & 0xFF] & 0x80) != 0;
}

void TInputDevice::Poll()
{
    GetKeyboardState(m_keys);
    ShiftHistory();
    std::uint32_t word = 0;
    for (int i = 0; i < kButtons; ++i) {
        const KeyBinding& b = m_keyboard[i];
        if (b.test != nullptr && (this->*b.test)(b.param)) {
            word |= 1u << i;
        }
    }
    JOYINFOEX info = {};
    info.dwSize = sizeof(JOYINFOEX);
    info.dwFlags = JOY_RETURNALL;
    if (m_padId >= 0 && joyGetPosEx(static_cast<UINT>(m_padId), &info) == JOYERR_NOERROR) {
        const PadSample pad{info.dwXpos, info.dwYpos, info.dwButtons};
        for (int i = 0; i < kButtons; ++i) {
            const PadBinding& b = m_pad[i];
            if (b.test != nullptr && (this->*b.test)(b.param, pad)) {
                word |= 1u << i;
            }
        }
    }
    m_history[0] = word;
}
