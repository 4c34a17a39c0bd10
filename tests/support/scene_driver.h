// The real application on a game folder, driven one scene step at a time: each Step sets the manual
// clock exactly one step interval past the current scene's timer and runs one application frame.
// Buttons are held and pressed through their default keys, Escape and F4 likewise; the screen can
// be read for goldens, and the engine's 2D draws and sound-bank calls recorded.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "MainCode/TGameWnd.h"
#include "platform/d3d8/seams.h"
#include "platform/testing/win32.h"
#include "support/engine_recorders.h"
#include "support/main_probe.h"
#include "support/temp_dir.h"

class TMessageWindow;

namespace qmtest {

// Logical buttons by their default keys.
enum class Button { Up, Down, Left, Right, A, B, D, E, F, G, Escape, F4 };
int KeyOf(Button b);

class SceneDriver {
public:
    static constexpr const char* kClass = "Verrow Quillmark";

    // Works in folder (the current folder and the runtime folder), with the manual clock, a clean
    // keyboard, message boxes collected and a windowed 640 × 480 "setting.ini".
    explicit SceneDriver(const std::filesystem::path& folder);
    ~SceneDriver();
    SceneDriver(const SceneDriver&) = delete;
    SceneDriver& operator=(const SceneDriver&) = delete;

    // The application up to its first scene; false when it did not come up.
    bool Start();
    void Stop();
    // Once the application's last frame has run, what its main loop does then: the close, and
    // the status the quit message carries (-1 when none comes).
    int Close();

    // One step of the current scene (and its draw); false once the application ends.
    bool Step();
    void Steps(int n);
    // One application frame with the clock set n step intervals on: the scene catches up n steps
    // (at most its four) and draws once, as on a machine too slow to draw every step. What happens
    // is what n single steps do, for one frame's drawing. False once the application ends.
    bool StepsInOneFrame(int n);
    // Steps until done() holds, at most limit steps; whether it came.
    bool StepUntil(const std::function<bool()>& done, int limit);

    static void Hold(Button b, bool down);
    // Down for one step.
    void Press(Button b);
    // A key the application handles itself (Escape, F4): pressed and let go, its messages
    // dispatched as the main loop does; no step.
    static void Stroke(Button b);
    static void ReleaseAll();

    // The back buffer as it is now.
    static platform::RgbaImage Screen();

    // Recording from now on (cleared), or off.
    void RecordDraws(bool on);
    void RecordSounds(bool on);
    // What the sound banks and the texture cache hold now, as the recorders saw them come and go.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> SoundUses(std::uint32_t bank) const
    {
        return soundRecorder_.Uses(bank);
    }
    std::vector<std::string> CachedTextures() const { return textureRecorder_.Names(); }
    // The engine's 2D draws of one step, in order.
    std::vector<TSpriteDrawRecord> DrawsOfAStep();

    TGameWnd* App() const { return app.get(); }
    TLoop* Current() const { return app != nullptr ? TMainProbe::CurrentScene(*app) : nullptr; }

    std::unique_ptr<TGameWnd> app;
    std::vector<TSpriteDrawRecord> draws;
    std::vector<TSoundBankRecord> sounds;
    std::vector<platform::MessageBoxRecord> boxes;

private:
    std::unique_ptr<ScopedCwd> cwd_;
    bool closed_ = false;
    SpriteDrawRecorder drawRecorder_{&draws};
    SoundBankRecorder soundRecorder_{&sounds};
    TextureCacheRecorder textureRecorder_;
};

// How many of the draws use that texture.
int CountDraws(const std::vector<TSpriteDrawRecord>& draws, const std::string& texture);

// The script engine's message window, or null while no script process manager runs.
::TMessageWindow* MessageWindow();

}  // namespace qmtest
