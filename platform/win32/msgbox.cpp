#include "platform/win32/msgbox.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unistd.h>

#include "platform/text/cp932.h"
#include "platform/win32/msgbox_window.h"
#include "platform/win32/seams.h"
#include "platform/win32/window_internal.h"

namespace platform::seams {

std::mutex g_messageBoxHookLock;
MessageBoxHook g_messageBoxHook;
std::atomic<bool> g_ownMessageWindowForced{false};

}  // namespace platform::seams

namespace {

constexpr UINT kIconMask = 0xF0;

bool IsHeadlessDriver(const char* driver)
{
    return driver != nullptr && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

// A box can only be seen with a real video driver and a display to put it on.
bool CanShowBox()
{
    const char* driver = SDL_WasInit(SDL_INIT_VIDEO) != 0 ? SDL_GetCurrentVideoDriver() : nullptr;
    if (driver == nullptr) {
        driver = std::getenv("SDL_VIDEODRIVER");
    }
    if (IsHeadlessDriver(driver)) {
        return false;
    }
    return std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr;
}

Uint32 SdlFlags(UINT type)
{
    switch (type & kIconMask) {
    case MB_ICONERROR: return SDL_MESSAGEBOX_ERROR;
    case MB_ICONWARNING: return SDL_MESSAGEBOX_WARNING;
    default: return SDL_MESSAGEBOX_INFORMATION;
    }
}

void WriteToStderr(const std::string& caption, const std::string& text)
{
    std::string line = caption + ": " + text;
    std::string cleaned;
    cleaned.reserve(line.size() + 1);
    for (char c : line) {
        if (c != '\r') {  // the game's texts break lines with CR LF
            cleaned.push_back(c);
        }
    }
    cleaned.push_back('\n');
    std::fwrite(cleaned.data(), 1, cleaned.size(), stderr);
    std::fflush(stderr);
}

// A test's hook takes the box instead of the screen or stderr.
bool TakenByHook(HWND owner, const std::string& cp932Text, const std::string& cp932Caption, UINT type)
{
    platform::seams::MessageBoxHook hook;
    {
        std::lock_guard<std::mutex> guard(platform::seams::g_messageBoxHookLock);
        hook = platform::seams::g_messageBoxHook;
    }
    if (hook) {
        hook(owner, cp932Text, cp932Caption, type);
    }
    return static_cast<bool>(hook);
}

// The box where a display is up, and the line on stderr unless SDL's box showed the text (or
// always, with the note). SDL's box draws with the X core fonts, which a bare X server may lack;
// then our own window shows the text with the game's font.
void Report(HWND owner, const std::string& cp932Text, const std::string& cp932Caption, UINT type,
            bool alwaysToStderr, const std::string& stderrNote = "")
{
    const std::string utf8Caption = platform::Cp932ToUtf8(cp932Caption);
    const std::string utf8Text = platform::Cp932ToUtf8(cp932Text);
    const bool forced = platform::seams::g_ownMessageWindowForced.load();
    const bool display = forced || CanShowBox();
    const bool sdlShown = display && !forced &&
                          SDL_ShowSimpleMessageBox(SdlFlags(type), utf8Caption.c_str(), utf8Text.c_str(),
                                                   platform::SdlWindowOf(owner)) == 0;
    if (!sdlShown || alwaysToStderr) {
        WriteToStderr(utf8Caption, utf8Text + stderrNote);
    }
    if (display && !sdlShown) {
        platform::ShowOwnMessageWindow(cp932Caption, cp932Text);
    }
}

}  // namespace

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    const std::string cp932Text = text != nullptr ? text : "";
    const std::string cp932Caption = caption != nullptr ? caption : "Error";
    if (!TakenByHook(owner, cp932Text, cp932Caption, type)) {
        Report(owner, cp932Text, cp932Caption, type, false);
    }
    return IDOK;
}

namespace platform {

void ReportRefusedStart(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    const std::string cp932Text = text != nullptr ? text : "";
    const std::string cp932Caption = caption != nullptr ? caption : "Error";
    if (!TakenByHook(owner, cp932Text, cp932Caption, type)) {
        char folder[4096];
        const std::string where = getcwd(folder, sizeof(folder)) != nullptr ? folder : "(unknown)";
        Report(owner, cp932Text, cp932Caption, type, true, "\n(game folder: " + where + ")");
    }
}

}  // namespace platform
