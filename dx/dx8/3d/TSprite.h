// 2D sprites on the 640×480 virtual screen. For now only the screen scale and the device hooks exist.
#pragma once

#include "dx/dx8/3d/StandInHooks.h"

class TSprite {
public:
    static void SetScreenScale(int virtualWidth, int virtualHeight, int targetWidth, int targetHeight)
    {
        s_virtualWidth = virtualWidth;
        s_virtualHeight = virtualHeight;
        s_targetWidth = targetWidth;
        s_targetHeight = targetHeight;
        s_scaleX = static_cast<float>(targetWidth) / static_cast<float>(virtualWidth);
        s_scaleY = static_cast<float>(targetHeight) / static_cast<float>(virtualHeight);
    }
    // The 2D screen modes follow the device: made, released, lost and recorded again.
    static void CreateScreenModes() { standin::NoteHook("TSprite::CreateScreenModes"); }
    static void ReleaseScreenModes() { standin::NoteHook("TSprite::ReleaseScreenModes"); }
    static void DeleteScreenModes() { standin::NoteHook("TSprite::DeleteScreenModes"); }
    static void RecordScreenModes() { standin::NoteHook("TSprite::RecordScreenModes"); }

    static float GetScaleX() { return s_scaleX; }
    static float GetScaleY() { return s_scaleY; }
    static int GetTargetWidth() { return s_targetWidth; }
    static int GetTargetHeight() { return s_targetHeight; }

private:
    static inline int s_virtualWidth = 640;
    static inline int s_virtualHeight = 480;
    static inline int s_targetWidth = 640;
    static inline int s_targetHeight = 480;
    static inline float s_scaleX = 1.0f;
    static inline float s_scaleY = 1.0f;
};
