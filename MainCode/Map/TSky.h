// The sky dome. Stands in without its mesh until meshes can be loaded and drawn.
#pragma once

#include "dx/dx8/3d/TVertexShader.h"

class TSky : public TVertexShader {
public:
    TSky() = default;
};
