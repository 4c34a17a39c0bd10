// What the 2D layer is asked to do, for screen tests: an installed observer hears every screen mode
// applied and every sprite drawn, as the caller gave it. Only tests install one; in play it is null.
#pragma once

#include "platform/d3d8/d3d8.h"

class TSprite;

class TSpriteObserver {
public:
    virtual ~TSpriteObserver() = default;

    // A recorded screen mode 0..4 applied (the hide mode and modes never recorded are not).
    virtual void OnRenderMode(int mode) = 0;
    // Drawn (not hidden, and for Draw textured), in virtual-screen pixels unless unscaled.
    virtual void OnDraw(const TSprite& sprite, float x, float y, float w, float h, bool unscaled) = 0;
    virtual void OnDrawRect(const TSprite& sprite, float x, float y, float w, float h, bool unscaled) = 0;
    virtual void OnDrawTransformed(const TSprite& sprite, float x, float y, float w, float h, const D3DMATRIX* m,
                                   bool unscaled) = 0;
};

// Null stops observing.
void SetSpriteObserver(TSpriteObserver* observer);
