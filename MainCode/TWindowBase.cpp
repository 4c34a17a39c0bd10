#include "MainCode/TWindowBase.h"

namespace {

const char kPropName[] = "TSubClassWnd";

}  // namespace

LRESULT CALLBACK SubClassWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* obj = static_cast<TSubClassWnd*>(GetPropA(hwnd, kPropName));
    if (obj == nullptr) {
        if (msg == WM_NCCREATE || msg == WM_CREATE) {
            obj = static_cast<TSubClassWnd*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        } else if (msg == WM_INITDIALOG) {
            obj = reinterpret_cast<TSubClassWnd*>(lParam);
        }
        if (obj == nullptr) {
            return DefWindowProcA(hwnd, msg, wParam, lParam);
        }
        obj->Attach(hwnd);
    }
    const LRESULT r = obj->WindowProc(hwnd, msg, wParam, lParam);
    if (msg == WM_DESTROY) {
        obj->Detach();
    }
    return r;
}

TSubClassWnd::~TSubClassWnd()
{
    TSubClassWnd::Detach();
}

void TSubClassWnd::Attach(HWND hwnd)
{
    m_hwnd = hwnd;
    SetPropA(hwnd, kPropName, this);
    const auto current = reinterpret_cast<WNDPROC>(GetWindowLongA(hwnd, GWL_WNDPROC));
    if (current == &SubClassWndProc) {
        return;  // a window of our own class: nothing to chain to
    }
    m_prevProc = reinterpret_cast<WNDPROC>(
        SetWindowLongA(hwnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&SubClassWndProc)));
}

void TSubClassWnd::Detach()
{
    if (m_hwnd == nullptr) {
        return;
    }
    if (m_prevProc != nullptr) {
        SetWindowLongA(m_hwnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(m_prevProc));
        m_prevProc = nullptr;
    }
    RemovePropA(m_hwnd, kPropName);
    m_hwnd = nullptr;
}

LRESULT TSubClassWnd::DefaultProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (m_prevProc != nullptr) {
        return CallWindowProcA(m_prevProc, hwnd, msg, wParam, lParam);
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

int TWindowBase::Run(std::uint32_t mode)
{
    Create();
    Init();
    MSG msg = {};
    if (mode == 1) {
        for (;;) {
            if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_QUIT) {
                    break;
                }
                DispatchMsg(&msg);
            } else if (IsRunning()) {
                if (!Frame()) {
                    SendMessageA(m_hwnd, WM_CLOSE, 0, 0);
                }
            } else {
                WaitMessage();
            }
        }
    } else if (mode == 2) {
        while (GetMessageA(&msg, nullptr, 0, 0)) {
            DispatchMsg(&msg);
        }
    }
    Shutdown();
    return static_cast<int>(msg.wParam);
}

void TWindowBase::DispatchMsg(MSG* msg)
{
    TranslateMessage(msg);
    DispatchMessageA(msg);
}

TMainWindow::TMainWindow(DWORD exStyle, const std::string& className, const std::string& title, DWORD style, int x,
                         int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance)
    : m_instance(instance),
      m_menu(menu),
      m_parent(parent),
      m_height(height),
      m_width(width),
      m_y(y),
      m_x(x),
      m_style(style),
      m_exStyle(exStyle),
      m_className(className),
      m_title(title)
{
}

HWND TMainWindow::Create()
{
    m_hwnd = CreateWindowExA(m_exStyle, m_className.c_str(), m_title.c_str(), m_style, m_x, m_y, m_width, m_height,
                             m_parent, m_menu, m_instance, this);
    return m_hwnd;
}
