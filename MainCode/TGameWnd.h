// The application object: the main window, the singletons' lifetime, the message loop and the scene stack.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

#include "MainCode/TRunState.h"
#include "MainCode/TWindowBase.h"
#include "TCommon/TRefPtr.h"
#include "TUtility/TSingleInstance.h"
#include "dx/dx8/3d/TSprite.h"
#include "dx/dx8/3d/TTexture8.h"
#include "platform/win32/timer.h"

class TLoop;
class TD3D8;
class TDSound8;
class TInputDevice;

class TGameWnd : public TMainWindow {
    friend struct TMainProbe;
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

    // Screen capture: the scene (null: the current one) drawn again into "QM_ScreenCaptureTex" with
    // Present off, shown by the returned sprite; an opaque black sprite when that fails. The label
    // names the calling scene and has no effect.
    TSprite CaptureScreen(const std::string& label, TLoop* scene);
    // The scene drawn into an off-screen target: kind 1 returns that render target, any other kind
    // a system-memory copy (zero-filled when the copy fails). The caller releases it.
    IDirect3DSurface8* CaptureSceneSurface(std::uint32_t kind, TLoop* scene);
    // A negative size is the smallest power of two from 256 up past the back buffer, within the caps.
    TTexture8 CreateCaptureTexture(const std::string& name, int width, int height, bool* present);
    D3DFORMAT ChooseCaptureFormat();
    bool RenderSceneToTexture(TTexture8& texture, float* u, float* v, TLoop* scene);
    // 256 doubled while within the maximum and not above the back buffer; 0 when that passes the maximum.
    static UINT CaptureSize(UINT maximum, UINT backBuffer);

    TD3D8* GetD3D() const { return m_d3d; }
    TDSound8* GetSound() const { return m_sound; }
    TInputDevice* GetInput() const { return m_input.Get(); }

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
    TRunState m_run;  // outlives the scenes, which use it
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
    bool m_refused = false;  // Init found no setting.ini: the run ends as a failure
    TSingleInstance m_singleInstance;
};

int WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show);
