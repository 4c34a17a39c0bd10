// Render presets: the state blocks shared by the drawing code. For now only the device hooks exist.
#pragma once

#include "dx/dx8/3d/StandInHooks.h"

class TRenderPreset {
public:
    static void Init() { standin::NoteHook("TRenderPreset::Init"); }
    static void Uninit() { standin::NoteHook("TRenderPreset::Uninit"); }
    static void OnLostDevice() { standin::NoteHook("TRenderPreset::OnLostDevice"); }
    static void OnResetDevice() { standin::NoteHook("TRenderPreset::OnResetDevice"); }
};
