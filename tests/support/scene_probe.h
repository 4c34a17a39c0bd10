// A look into the title, game over, the scene-change hub and the story events for tests: which
// state runs, what a scene was built with, and the cameras, ramps and colours it draws with.
#pragma once

#include <cstdint>
#include <utility>

#include "MainCode/Scene/TChangeLoop.h"
#include "MainCode/Scene/TDieLoop.h"
#include "MainCode/Scene/TEvent04_00Loop.h"
#include "MainCode/Scene/TEvent04_05Loop.h"
#include "MainCode/Scene/TEvent04_06Loop.h"
#include "MainCode/Scene/TEvent04_07Loop.h"
#include "MainCode/Scene/TEventLoop.h"
#include "MainCode/Scene/TTitleLoop.h"

struct TSceneProbe {
    // Title.
    enum class TitleState { StartWait, LogoIn, LogoHold, LogoOut, FadeIn, Menu, Idle, Quit };
    static TitleState State(const TTitleLoop& t)
    {
        const std::pair<std::uint32_t (TTitleLoop::*)(), TitleState> states[] = {
            {&TTitleLoop::StateStartWait, TitleState::StartWait}, {&TTitleLoop::StateLogoIn, TitleState::LogoIn},
            {&TTitleLoop::StateLogoHold, TitleState::LogoHold},   {&TTitleLoop::StateLogoOut, TitleState::LogoOut},
            {&TTitleLoop::StateFadeIn, TitleState::FadeIn},       {&TTitleLoop::StateMenu, TitleState::Menu},
            {&TTitleLoop::StateIdle, TitleState::Idle},           {&TTitleLoop::StateQuit, TitleState::Quit}};
        for (const auto& s : states) {
            if (t.m_state == static_cast<TSceneLoop::StateFunc>(s.first)) {
                return s.second;
            }
        }
        return TitleState::StartWait;
    }
    static std::int32_t Selection(const TTitleLoop& t) { return t.m_selection; }
    static std::uint32_t Counter(const TTitleLoop& t) { return t.m_counter; }
    static const TUiQuad& Quad(const TTitleLoop& t) { return t.m_quad; }
    static DWORD LogoColor(const TTitleLoop& t) { return t.m_logo.GetVertex(0).diffuse; }
    static DWORD ItemColor(const TTitleLoop& t, std::int32_t i) { return t.m_items[i].GetVertex(0).diffuse; }

    // Scene-change hub.
    static std::uint32_t Mode(const TChangeLoop& c) { return c.m_mode; }
    static std::uint32_t MusicId(const TChangeLoop& c) { return c.m_musicId; }
    static std::uint32_t Slot(const TChangeLoop& c) { return c.m_slot; }
    static std::int32_t EventId(const TChangeLoop& c) { return c.m_eventId; }
    static const TUiQuad& Quad(const TChangeLoop& c) { return c.m_quad; }

    // Game over.
    static std::int32_t MusicId(const TDieLoop& d) { return static_cast<std::int32_t>(d.m_musicId); }
    static DWORD OverlayColor(const TDieLoop& d) { return d.m_overlay.GetVertex(0).diffuse; }
    static DWORD PictureColor(const TDieLoop& d) { return d.m_picture.GetVertex(0).diffuse; }

    // Story events.
    static TView* View(TEventLoop& e) { return &e.m_view; }
    static TFrame* Root(const TEventLoop& e) { return e.m_root.Get(); }
    // The script process manager the event steps; null once it has handed over.
    static TScriptProcessManager* Scripts(const TEventLoop& e) { return e.m_scripts.Get(); }
    static TCamera* Camera(const TEvent04_00Loop& e) { return e.m_camera.get(); }
    static TFrame* Target(const TEvent04_00Loop& e) { return e.m_target.Get(); }
    static const TFloatRamp& Glide(const TEvent04_00Loop& e) { return e.m_glide; }
    // Null when its file could not be read.
    static TFrame* Explosion(const TEvent04_05Loop& e) { return e.m_explosion.Get(); }
    static TFrame* Camera(const TEvent04_06Loop& e) { return e.m_camera.Get(); }
    static TFrame* CameraTarget(const TEvent04_06Loop& e) { return e.m_cameraTarget.Get(); }
    static const TFloatRamp& Flash(const TEvent04_06Loop& e) { return e.m_flashRamp; }
    static TCamera* Camera(const TEvent04_07Loop& e) { return e.m_camera.get(); }
    static TFrame* Target(const TEvent04_07Loop& e) { return e.m_target.Get(); }
    static const TFloatRamp& Flight(const TEvent04_07Loop& e) { return e.m_flight; }
};
