// The frame every story event stands on: its view, fog and projection, its models, its script with
// the message window, its sounds, the fade (a fade quad or a black sprite over a ramp), the skip on
// a held cancel and the two ways out, to the scene-change hub or onto the field. An event adds its
// stage and its chain of phases, which advance in step with the script's "@@Wait" cues.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "MainCode/TLoop.h"
#include "MainCode/TSceneViewState.h"
#include "MainCode/TUiQuad.h"
#include "TCommon/TLinearRamp.h"
#include "TCommon/TRefPtr.h"
#include "dx/dx8/3d/TFrame.h"
#include "dx/dx8/3d/TSprite.h"
#include "dx/dx8/3d/TView.h"
#include "platform/d3dx8/d3dx8math.h"

class TMesh8;
class TScriptProcessManager;
class TSoundBank;
class TSoundFader;
class TSoundList;

class TEventLoop : public TSceneLoop {
public:
    static constexpr std::int32_t kSkipMusicSteps = 50;
    static constexpr std::int32_t kFadeSteps = 100;

    ~TEventLoop() override;

    bool IsSkipping() const { return m_skipping; }
    // Sets the event's fog and projection again: a scene built while it waited (the next event, the
    // field an event leads to) has set its own on the shared device.
    void Resume() override;

protected:
    enum class Fade { Quad, Black };

    // The scene base, the view, the fade of that kind and both sound lists; the event then sets
    // up its stage and calls StartScript, StartMusic and Start, in that order.
    TEventLoop(TGameWnd* app, Fade fade, std::uint32_t musicId, D3DCOLOR clearColour);

    static TRefPtr<TFrame> MakeFrame(const std::string& name);
    // The point a share t of the way from one point to another, as the camera moves take it.
    static D3DXVECTOR3 Along(const D3DXVECTOR3& from, const D3DXVECTOR3& to, float t);
    // Kept for every resume, and set now.
    void SetFogAndProjection(bool fog, float fogStart, float fogEnd, D3DCOLOR fogColour, float farZ);
    // Models of the mesh folder onto a frame; a file that cannot be read throws my_error.
    static void AddScenery(TFrame* frame, const std::string& file);
    static void AddCharacter(TFrame* frame, const std::string& file);
    // A ".tob" object with morphs, named so the event finds it again; on morph 0. reorder: the
    // triangles of the face region drawn last, as a character's body is.
    static TMesh8* AddObject(TFrame* frame, const std::string& file, const std::string& name, bool reorder = false);
    // A frame at a point of the stage, hung under the root.
    TRefPtr<TFrame> AddStageFrame(const std::string& name, const D3DXVECTOR3& position);
    // A ".tob" figure (AddObject) in a frame of its own moved by offset, under the root.
    TMesh8* AddFigure(const std::string& frame, const std::string& file, const std::string& name, bool reorder,
                      const D3DXVECTOR3& offset = D3DXVECTOR3(0.0F, 0.0F, 0.0F));
    // Scenery in the frame "MapFrame" moved by offset, under the root.
    void AddMap(const std::string& file, const D3DXVECTOR3& offset);
    // A cast's morphs one step on, in this order, not looping; true once the last one's has played out.
    static bool StepMorphs(std::span<TMesh8* const> order);
    static void SetMorphs(std::span<TMesh8* const> order, std::uint32_t morph);

    void StartScript(const std::string& key);
    void StartMusic();
    void Start();

    // The two ends: through the hub to the next event (keeping a use of the music for the hub's
    // fade), or onto the field (which starts its own music).
    void SetEndToEvent(std::uint32_t eventId);
    void SetEndToField(const std::string& mapKey, const D3DXVECTOR3& position, const D3DXVECTOR3& direction);

    template <typename Scene>
    void SetPhase(std::uint32_t (Scene::*phase)(), bool showBlack = false)
    {
        SetState(phase);
        m_blackShown = showBlack;
    }
    std::uint32_t PhaseFinal();

    // One step of the script (and the message window while it runs); the step's result.
    std::uint32_t RunScript();
    bool IsCued() const;
    void ReleaseCue();

    // The black sprite takes the ramp's value as its alpha.
    void ShowBlackRamp();
    // One step of the black sprite's fade-in; true once it has cleared.
    bool StepFadeIn();
    // The ends of a black-sprite event: the script run out, back to black, then the final phase.
    std::uint32_t PhaseRunOut();
    std::uint32_t PhaseFadeOut();

    // Where the camera stands for the draw; the phases of a frame camera do it themselves.
    virtual void PlaceCamera() {}
    // What an event draws over its scene and under the message window.
    virtual void DrawUnderMessages() {}
    // A frame camera: turned toward its target frame and set into the view.
    void LookAt(TFrame* camera, const TFrame* target);
    // Camera, clear, the root, the message window, the fade.
    void DrawEvent();

    TView m_view;
    TRefPtr<TFrame> m_root;
    TUiQuad m_quad;
    TSprite m_black;
    TFloatRamp m_blackRamp;

private:
    friend struct TSceneProbe;

    std::uint32_t StepEvent();
    // Lets go of the manager; it is destroyed as the current one only when it is still this event's.
    void ReleaseScripts();
    void StartSkip();
    std::uint32_t PhaseSkip();
    TSoundBank* MusicBank() const;

    Fade m_fade;
    std::uint32_t m_musicId;
    D3DCOLOR m_clearColour;
    bool m_skipping = false;
    bool m_blackShown = false;
    // The fog and far distance the event chose; none chosen yet, nothing to set.
    TSceneViewHolder m_viewState;
    TRefPtr<TSoundFader> m_fader;
    std::unique_ptr<TSoundList> m_musicList;
    // Made by this event and held until it hands over: a later event made before this one runs
    // (two started by one script) makes its own.
    TRefPtr<TScriptProcessManager> m_scripts;

    // Where the final phase leads: an event id through the hub, else the field.
    bool m_toEvent = false;
    std::uint32_t m_nextEvent = 0;
    std::string m_mapKey;
    D3DXVECTOR3 m_position{0.0F, 0.0F, 0.0F};
    D3DXVECTOR3 m_direction{0.0F, 0.0F, 0.0F};
};
