// D3DX 8 buffers and vertex-format helpers.
#pragma once

#include "platform/d3d8/d3d8types.h"

// A block of bytes handed out by D3DX (assembled shaders, error texts); Release frees it.
struct ID3DXBuffer : IUnknown {
    virtual LPVOID GetBufferPointer() = 0;
    virtual DWORD GetBufferSize() = 0;
};
using LPD3DXBUFFER = ID3DXBuffer*;

// Bytes per vertex of a flexible vertex format; 0 for a format that names more than 8 texture sets.
UINT D3DXGetFVFVertexSize(DWORD fvf);

namespace platform {
// A new buffer holding a copy of the bytes, one reference owned by the caller.
ID3DXBuffer* NewD3DXBuffer(const void* data, size_t size);
}  // namespace platform
