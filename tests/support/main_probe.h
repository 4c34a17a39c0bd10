// A look into the application for tests: the device settings as read, the scene stack and its
// windows, the scenes' timers, the input bindings and the full-screen fades.
#pragma once

#include <cstdint>
#include <vector>

#include "MainCode/TBasicD3DDeviceBuilder.h"
#include "MainCode/TGameWnd.h"
#include "MainCode/TInputDevice.h"
#include "MainCode/TLoop.h"
#include "MainCode/TUiQuad.h"
#include "MainCode/TWindowBase.h"

struct TMainProbe {
    // What the device settings asked for, as read.
    static std::uint32_t BitDepth(const TBasicD3DDeviceBuilder& b) { return b.m_bitDepth; }
    static std::uint32_t BackBufferCount(const TBasicD3DDeviceBuilder& b) { return b.m_backBufferCount; }
    static std::uint32_t BackBufferCountLower(const TBasicD3DDeviceBuilder& b) { return b.m_backBufferCountLower; }
    static DWORD BehaviorFlags(const TBasicD3DDeviceBuilder& b) { return b.m_behaviorFlags; }
    static bool IsBackBufferLockable(const TBasicD3DDeviceBuilder& b) { return b.m_lockable; }
    static D3DTEXTUREFILTERTYPE MinFilter(const TBasicD3DDeviceBuilder& b) { return b.m_minFilter; }
    static D3DTEXTUREFILTERTYPE MagFilter(const TBasicD3DDeviceBuilder& b) { return b.m_magFilter; }
    static D3DTEXTUREFILTERTYPE MipFilter(const TBasicD3DDeviceBuilder& b) { return b.m_mipFilter; }
    static float ViewScale(const TBasicD3DDeviceBuilder& b) { return b.m_viewScale; }
    static const std::vector<std::uint32_t>& MultiSampleList(const TBasicD3DDeviceBuilder& b)
    {
        return b.m_multiSampleList;
    }
    static const std::vector<D3DFORMAT>& DepthStencilList(const TBasicD3DDeviceBuilder& b)
    {
        return b.m_depthStencilList;
    }
    static D3DFORMAT DepthStencilFormat(const TBasicD3DDeviceBuilder& b) { return b.m_depthStencilFormat; }

    // The application, its window and its scenes.
    static TLoop* CurrentScene(const TGameWnd& a) { return a.m_current; }
    // The scene a replacement queued last (the current one when none is queued).
    static TLoop* LastScene(const TGameWnd& a) { return a.m_scenes.empty() ? nullptr : a.m_scenes.back().Get(); }
    static bool IsActive(const TGameWnd& a) { return a.m_active; }
    static bool IsInitialised(const TGameWnd& a) { return a.m_initialised; }
    static HWND Handle(const TSubClassWnd& w) { return w.m_hwnd; }
    static bool IsSuspended(const TLoop& s) { return s.m_suspended; }
    static const TFrameTimer& Timer(const TSceneLoop& s) { return s.m_timer; }
    // A sound asked for as the scene base asks.
    static void PlaySe(TSceneLoop& s, std::uint32_t id) { s.PlaySe(id); }

    // The input bindings as they hold now; -1 for a button left unbound.
    static std::int64_t KeyboardBinding(const TInputDevice& d, int button)
    {
        return d.m_keyboard[button].param == TInputDevice::kUnset ? -1 : d.m_keyboard[button].code;
    }
    static std::int64_t PadBinding(const TInputDevice& d, int button)
    {
        return d.m_pad[button].param == TInputDevice::kUnset ? -1 : d.m_pad[button].code;
    }
    static std::int32_t PadId(const TInputDevice& d) { return d.m_padId; }
    // Stick x low and high, then y low and high.
    static void PadThresholds(const TInputDevice& d, std::uint16_t out[4])
    {
        out[0] = d.m_xLow;
        out[1] = d.m_xHigh;
        out[2] = d.m_yLow;
        out[3] = d.m_yHigh;
    }
    static bool IsHeld(const TInputDevice& d, std::uint16_t mask) { return (d.GetCurrent() & mask) != 0; }

    // A full-screen fade.
    static std::int32_t Duration(const TUiQuad& q) { return q.m_duration; }
    static std::int32_t Counter(const TUiQuad& q) { return q.m_counter; }
    static bool IsTextured(const TUiQuad& q) { return q.m_textured; }
    static bool IsEndDrawn(const TUiQuad& q) { return q.m_endDrawn; }
    // The packed 0xAARRGGBB the corners carry now.
    static std::uint32_t Colour(const TUiQuad& q) { return q.m_sprite.GetVertex(0).diffuse; }
};
