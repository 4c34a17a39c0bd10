#include "support/main_probe.h"
#include "support/scene_driver.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "MainCode/Script/TMessageWindow.h"
#include "MainCode/Script/TScriptProcessManager.h"
#include "dx/dx8/3d/TD3D8.h"
#include "platform/testing/d3d8.h"
#include "platform/win32/keyboard.h"
#include "platform/win32/msgbox.h"
#include "platform/win32/window.h"
#include "support/scene_clock.h"

namespace qmtest {

int KeyOf(Button b)
{
    switch (b) {
    case Button::Up: return VK_UP;
    case Button::Down: return VK_DOWN;
    case Button::Left: return VK_LEFT;
    case Button::Right: return VK_RIGHT;
    case Button::A: return 'Z';
    case Button::B: return 'X';
    case Button::D: return 'V';
    case Button::E: return 'B';
    case Button::F: return 'A';
    case Button::G: return 'S';
    case Button::Escape: return VK_ESCAPE;
    case Button::F4: return VK_F4;
    }
    return 0;
}

SceneDriver::SceneDriver(const std::filesystem::path& folder)
{
    setenv("QM_RUNTIME_DIR", folder.c_str(), 1);
    cwd_ = std::make_unique<ScopedCwd>(folder);
    platform::ManualClock::Enable(1000);
    platform::ResetKeyboardState();
    platform::SetMessageBoxHook([this](const platform::MessageBoxRecord& r) { boxes.push_back(r); });
    if (!std::filesystem::exists("setting.ini")) {
        std::ofstream("setting.ini", std::ios::binary)
            << "[CurrentSetting]\r\nScreenWidth=640\r\nScreenHeight=480\r\nScreenMode=Window\r\n";
    }
}

SceneDriver::~SceneDriver()
{
    Stop();
    platform::SetMessageBoxHook(nullptr);
    platform::ManualClock::Disable();
    platform::ResetKeyboardState();
    cwd_.reset();
}

bool SceneDriver::Start()
{
    app = std::make_unique<TGameWnd>(0, kClass, "Quillmark", WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, 640, 480,
                                      nullptr, nullptr, nullptr, 101, 104);
    app->Create();
    app->Init();
    return TMainProbe::IsInitialised(*app);
}

void SceneDriver::Stop()
{
    if (app == nullptr) {
        return;
    }
    app->Shutdown();
    if (!closed_) {
        DestroyWindow(TMainProbe::Handle(*app));
    }
    app.reset();
    UnregisterClassA(kClass, nullptr);
}

int SceneDriver::Close()
{
    SendMessageA(TMainProbe::Handle(*app), WM_CLOSE, 0, 0);
    closed_ = true;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            return static_cast<int>(msg.wParam);
        }
    }
    return -1;
}

bool SceneDriver::Step()
{
    return StepsInOneFrame(1);
}

bool SceneDriver::StepsInOneFrame(int n)
{
    if (auto* scene = dynamic_cast<TSceneLoop*>(TMainProbe::CurrentScene(*app))) {
        SetClockToStep(TMainProbe::Timer(*scene), n);
    } else {
        platform::ManualClock::Advance(17);
    }
    return app->Frame();
}

void SceneDriver::Steps(int n)
{
    for (int i = 0; i < n; ++i) {
        Step();
    }
}

bool SceneDriver::StepUntil(const std::function<bool()>& done, int limit)
{
    for (int i = 0; i < limit; ++i) {
        if (done()) {
            return true;
        }
        Step();
    }
    return done();
}

void SceneDriver::Hold(Button b, bool down)
{
    platform::InjectKey(KeyOf(b), down);
}

void SceneDriver::Press(Button b)
{
    Hold(b, true);
    Step();
    Hold(b, false);
}

void SceneDriver::Stroke(Button b)
{
    for (bool down : {true, false}) {
        Hold(b, down);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

void SceneDriver::ReleaseAll()
{
    for (Button b : {Button::Up, Button::Down, Button::Left, Button::Right, Button::A, Button::B, Button::D, Button::E,
                     Button::F, Button::G}) {
        Hold(b, false);
    }
}

platform::RgbaImage SceneDriver::Screen()
{
    platform::RgbaImage image;
    EXPECT_TRUE(platform::ReadBackBuffer(TD3D8::GetDevice(), &image));
    return image;
}

void SceneDriver::RecordDraws(bool on)
{
    draws.clear();
    drawRecorder_.Record(on);
}

void SceneDriver::RecordSounds(bool on)
{
    sounds.clear();
    soundRecorder_.Record(on);
}

std::vector<TSpriteDrawRecord> SceneDriver::DrawsOfAStep()
{
    RecordDraws(true);
    Step();
    std::vector<TSpriteDrawRecord> recorded = draws;
    RecordDraws(false);
    return recorded;
}

int CountDraws(const std::vector<TSpriteDrawRecord>& draws, const std::string& texture)
{
    int n = 0;
    for (const TSpriteDrawRecord& d : draws) {
        n += d.texture == texture ? 1 : 0;
    }
    return n;
}

TMessageWindow* MessageWindow()
{
    TScriptProcessManager* scripts = TScriptProcessManager::Get();
    return scripts != nullptr ? dynamic_cast<TMessageWindow*>(scripts->FindModule("Text")) : nullptr;
}

}  // namespace qmtest
