#include "platform/d3dx8/d3dx8core.h"

#include <cstring>
#include <vector>

#include "platform/win32/com_object.h"

namespace {

class Buffer final : public platform::ComObject<ID3DXBuffer> {
public:
    Buffer(const void* data, size_t size) : bytes_(size) {
        if (size != 0) {
            std::memcpy(bytes_.data(), data, size);
        }
    }

    LPVOID GetBufferPointer() override { return bytes_.empty() ? nullptr : bytes_.data(); }
    DWORD GetBufferSize() override { return static_cast<DWORD>(bytes_.size()); }

private:
    std::vector<BYTE> bytes_;
};

}  // namespace

ID3DXBuffer* platform::NewD3DXBuffer(const void* data, size_t size) { return new Buffer(data, size); }

UINT D3DXGetFVFVertexSize(DWORD fvf) {
    UINT size = 0;
    switch (fvf & D3DFVF_POSITION_MASK) {
    case D3DFVF_XYZ: size = 12; break;
    case D3DFVF_XYZRHW: size = 16; break;
    case D3DFVF_XYZB1: size = 16; break;
    case D3DFVF_XYZB2: size = 20; break;
    case D3DFVF_XYZB3: size = 24; break;
    case D3DFVF_XYZB4: size = 28; break;
    case D3DFVF_XYZB5: size = 32; break;
    default: break;
    }
    if (fvf & D3DFVF_NORMAL) {
        size += 12;
    }
    if (fvf & D3DFVF_PSIZE) {
        size += 4;
    }
    if (fvf & D3DFVF_DIFFUSE) {
        size += 4;
    }
    if (fvf & D3DFVF_SPECULAR) {
        size += 4;
    }
    const UINT sets = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    if (sets > 8) {
        return 0;
    }
    for (UINT i = 0; i < sets; ++i) {
        switch ((fvf >> (16 + i * 2)) & 3) {
        case D3DFVF_TEXTUREFORMAT1: size += 4; break;
        case D3DFVF_TEXTUREFORMAT2: size += 8; break;
        case D3DFVF_TEXTUREFORMAT3: size += 12; break;
        default: size += 16; break;  // D3DFVF_TEXTUREFORMAT4
        }
    }
    return size;
}
