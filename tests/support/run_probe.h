// A look into the process-wide state a run of the game starts from, for tests that start several
// runs in one process: the maker's logo is shown once a run, and the particles take their atlas
// cells in turn from the first one on.
#pragma once

#include "MainCode/Effect/TParticleEffect.h"
#include "MainCode/Scene/TTitleLoop.h"

struct TRunProbe {
    static void ForgetLogoShown() { TTitleLoop::s_logoShown = false; }
    static void ResetParticleAtlas() { TParticleEffect::s_atlasCounter = 0; }
};
