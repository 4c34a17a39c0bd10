// The D3DX 8 helpers the engine uses: math, buffers, vertex formats and the vertex-shader assembler.
#pragma once

#include "platform/d3dx8/d3dx8core.h"
#include "platform/d3dx8/d3dx8math.h"
#include "platform/d3dx8/d3dx8shader.h"
