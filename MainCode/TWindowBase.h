// Window classes: bind an object to a window, run the message pump, create a top-level window.
#pragma once

#include <string>

#include "platform/win32/window.h"

LRESULT CALLBACK SubClassWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

class TSubClassWnd {
    friend struct TMainProbe;
public:
    TSubClassWnd() = default;
    virtual ~TSubClassWnd();
    TSubClassWnd(const TSubClassWnd&) = delete;
    TSubClassWnd& operator=(const TSubClassWnd&) = delete;

    virtual void Attach(HWND hwnd);
    virtual void Detach();
    virtual bool IsRunning() { return true; }
    virtual LRESULT DefaultProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    virtual LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) = 0;

protected:
    HWND m_hwnd = nullptr;
    WNDPROC m_prevProc = nullptr;
};

class TWindowBase : public TSubClassWnd {
public:
    virtual int Run(std::uint32_t mode);
    virtual HWND Create() = 0;
    virtual void Init() {}
    virtual void Shutdown() {}
    virtual bool Frame() { return true; }
    virtual void DispatchMsg(MSG* msg);
};

class TMainWindow : public TWindowBase {
public:
    TMainWindow(DWORD exStyle, const std::string& className, const std::string& title, DWORD style, int x, int y,
                int width, int height, HWND parent, HMENU menu, HINSTANCE instance);

    HWND Create() override;

protected:
    HINSTANCE m_instance;
    HMENU m_menu;
    HWND m_parent;
    int m_height;
    int m_width;
    int m_y;
    int m_x;
    DWORD m_style;
    DWORD m_exStyle;
    std::string m_className;
    std::string m_title;
};
