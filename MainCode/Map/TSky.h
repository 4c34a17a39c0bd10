// The sky dome. Stands in without its mesh and program until the field maps are built.
#pragma once

#include "dx/dx8/3d/TVertexShader.h"

class TSky : public TVertexShader {
public:
    TSky() = default;
    void DrawSubset(std::uint32_t, TMesh8*, TView*, const D3DMATRIX*) override {}
    void Create() override {}
    void Release() override {}
};
