// D3DX 8 vertex-shader assembler: vs.1.0 / vs.1.1 text to the token stream of platform/d3d8/shader_tokens.h.
#pragma once

#include "platform/d3dx8/d3dx8core.h"

// On success *compiledShader holds the token stream (DWORDs, version token first, end token last).
// On failure returns E_FAIL and *errors holds a NUL-terminated text, one "line N: problem" per line.
// constants is always set to null: def values travel inside the token stream.
HRESULT D3DXAssembleShader(LPCVOID src, UINT srcLen, DWORD flags, LPD3DXBUFFER* constants,
                           LPD3DXBUFFER* compiledShader, LPD3DXBUFFER* errors);
