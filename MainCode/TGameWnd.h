// The application object: the main window, the singletons' lifetime, the message loop and the scene stack.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

#include "MainCode/TWindowBase.h"
#include "TCommon/TRefPtr.h"
#include "TUtility/TSingleInstance.h"
#include "platform/win32/timer.h"

class TLoop;
class TD3D8;
class TDSound8;
class TInputDevice;

class TGameWnd : public TMainWindow {
public:
    TGameWnd(DWORD exStyle, const std::string& className, const std::string& title, DWORD style, int x, int y,
             int width, int height, HWND parent, HMENU menu, HINSTANCE instance, std::uint16_t iconId,
             std::uint16_t cursorId);
    ~TGameWnd() override;

    bool IsRunning() override;
    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
    int Run(std::uint32_t mode) override;
    HWND Create() override;
    void Init() override;
    void Shutdown() override;
    bool Frame() override;
    virtual void DrawScene();

    void PushScene(TLoop* scene);
    void ReplaceScene(TLoop* scene);
    std::int32_t PopScenesTo(std::uint32_t n);
    std::int32_t GetSceneCount() const { return static_cast<std::int32_t>(m_scenes.size()); }
    TLoop* GetCurrentScene() const { return m_current; }

    TD3D8* GetD3D() const { return m_d3d; }
    TDSound8* GetSound() const { return m_sound; }
    TInputDevice* GetInput() const { return m_input.Get(); }

    bool IsActive() const { return m_active; }
    bool IsInitialised() const { return m_initialised; }

protected:
    virtual void OnPaint();
    virtual void OnActivateApp(WPARAM active);
    virtual void OnKeyDown(WPARAM key, LPARAM flags);
    virtual void OnSize(WPARAM kind, LPARAM size);
    virtual void OnClose();
    virtual LRESULT OnSetCursor(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnPowerBroadcast(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnSysCommand(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnNcHitTest(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    void Activate();
    void Deactivate();
    bool CheckSingleInstance();
    bool CheckDirectXVersion();
    void ApplySceneChange();
    void PopScene();
    void ClearScenes();

private:
    std::uint16_t m_iconId;
    std::uint16_t m_cursorId;
    TIMECAPS m_timeCaps = {};
    TLoop* m_current = nullptr;
    std::deque<TRefPtr<TLoop>> m_scenes;  // front = top = current scene
    TRefPtr<TInputDevice> m_input;
    TD3D8* m_d3d;
    TDSound8* m_sound;
    bool m_timeCapsValid = false;
    bool m_active = false;
    bool m_running = false;
    bool m_initialised = false;
    TSingleInstance m_singleInstance;
};

int WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show);
