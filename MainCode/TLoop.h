// Scene base: every screen, menu, dialog and cutscene is a TLoop on the application's scene stack.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class TGameWnd;
class TD3D8;
class TDSound8;
class TInputDevice;
class TSoundList;

// Update result bits.
enum : std::uint32_t {
    LOOP_END = 1,       // this scene has ended: the application pops it
    LOOP_CONTINUE = 2,  // keep going (also: no step was due, nothing drawn)
    LOOP_QUIT = 4,      // end the program
};

class TLoop {
    friend struct TMainProbe;
public:
    explicit TLoop(TGameWnd* app);
    virtual ~TLoop() = default;
    TLoop(const TLoop&) = delete;
    TLoop& operator=(const TLoop&) = delete;

    virtual std::uint32_t Update() = 0;
    virtual void Draw() {}
    // Milliseconds the application may wait for messages before this scene wants to run again;
    // 0 when the last Update ran a step (or the scene keeps no timer).
    virtual std::uint32_t GetIdleTime() const { return 0; }
    // Whether Escape / F4 may open the quit / back-to-title dialog over this scene.
    virtual bool AllowsSystemDialog() { return true; }
    virtual void Suspend() { m_suspended = true; }
    virtual void Resume() { m_suspended = false; }

    TGameWnd* GetApp() const { return m_app; }

protected:
    TGameWnd* m_app;
    TD3D8* m_d3d;
    TDSound8* m_sound;
    TInputDevice* m_input;
    bool m_suspended = true;  // a new scene waits for Resume until it becomes current
};

// Turns wall-clock milliseconds into fixed steps.
class TFrameTimer {
public:
    TFrameTimer(std::uint32_t fps, TLoop* owner);

    double m_last;     // time (ms) up to which steps have run
    double m_elapsed;  // ms not yet consumed by steps
    double m_interval;
    TLoop* m_owner;
};

// The base of every concrete scene: a 60-steps-a-second timer and three member-function pointers
// (update, draw, state) through which the scene's own functions run.
class TSceneLoop : public TLoop {
    friend struct TMainProbe;
public:
    using UpdateFunc = std::uint32_t (TSceneLoop::*)();
    using DrawFunc = void (TSceneLoop::*)();
    using StateFunc = std::uint32_t (TSceneLoop::*)();

    // The sound core's banks the scenes load their lists into.
    static constexpr std::uint32_t kEffectBank = 0;
    static constexpr std::uint32_t kMusicBank = 2;
    // The most steps one Update runs before it draws. Steps that cost more than an interval would
    // otherwise leave each frame owing more than the last, and the game would stop drawing and
    // taking messages; time owed past this is dropped, so the game runs slower instead.
    static constexpr int kMaxCatchUpSteps = 4;

    explicit TSceneLoop(TGameWnd* app);
    ~TSceneLoop() override;

    std::uint32_t Update() override;
    void Draw() override;
    void Resume() override;
    std::uint32_t GetIdleTime() const override;

    // Runs the current state function; scenes whose state decides each step use this as update.
    std::uint32_t RunState();

protected:
    // Scenes hand in their own member functions; the casts keep the pointers in the base type.
    template <typename Scene>
    void SetUpdate(std::uint32_t (Scene::*f)())
    {
        m_update = static_cast<UpdateFunc>(f);
    }
    template <typename Scene>
    void SetDraw(void (Scene::*f)())
    {
        m_draw = static_cast<DrawFunc>(f);
    }
    template <typename Scene>
    void SetState(std::uint32_t (Scene::*f)())
    {
        m_state = static_cast<StateFunc>(f);
    }

    // Buttons newly pressed in this step.
    std::uint16_t Pressed(std::uint16_t mask) const;
    // A sound list of the data-table folder + listName, loaded into one bank of the sound core
    // (a list without a bank when there is no sound).
    std::unique_ptr<TSoundList> MakeSoundList(std::uint32_t bank, const std::string& listName) const;
    // The scene's own effect list, and a sound played through it; nothing without its bank. Menu
    // sub-screens play through their owner's list instead.
    void LoadSounds(const std::string& listName);
    virtual void PlaySe(std::uint32_t id);

    TFrameTimer m_timer;
    UpdateFunc m_update;
    DrawFunc m_draw;
    StateFunc m_state;
    bool m_idle = false;  // the last Update found no step due
    std::unique_ptr<TSoundList> m_sounds;

private:
    void DrawNothing() {}
    std::uint32_t StateContinue() { return LOOP_CONTINUE; }
};
