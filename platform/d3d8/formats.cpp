#include "platform/d3d8/d3d8_internal.h"

namespace platform::d3d8 {

namespace {

const ColorFormat kColorFormats[] = {
    {D3DFMT_A8R8G8B8, 4, GL_RGBA8, GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, true},
    {D3DFMT_X8R8G8B8, 4, GL_RGB8, GL_RGB8, GL_BGRA, GL_UNSIGNED_BYTE, false},
    {D3DFMT_R5G6B5, 2, GL_RGB5, GL_RGB8, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, false},
    {D3DFMT_X1R5G5B5, 2, GL_RGB5, GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, false},
    {D3DFMT_A1R5G5B5, 2, GL_RGB5_A1, GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, true},
    {D3DFMT_A4R4G4B4, 2, GL_RGBA4, GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV, true},
    {D3DFMT_X4R4G4B4, 2, GL_RGB4, GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV, false},
};

const DepthFormat kDepthFormats[] = {
    {D3DFMT_D16, GL_DEPTH_COMPONENT16, false},
    {D3DFMT_D24X8, GL_DEPTH_COMPONENT24, false},
    {D3DFMT_D24S8, GL_DEPTH24_STENCIL8, true},
};

}  // namespace

const ColorFormat* FindColorFormat(D3DFORMAT format)
{
    for (const ColorFormat& f : kColorFormats) {
        if (f.format == format) {
            return &f;
        }
    }
    return nullptr;
}

bool IsRenderTargetFormat(D3DFORMAT format)
{
    return format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8 || format == D3DFMT_R5G6B5 ||
           format == D3DFMT_X1R5G5B5 || format == D3DFMT_A1R5G5B5;
}

const DepthFormat* FindDepthFormat(D3DFORMAT format)
{
    for (const DepthFormat& f : kDepthFormats) {
        if (f.format == format) {
            return &f;
        }
    }
    return nullptr;
}

bool IsBackBufferFormat(D3DFORMAT format)
{
    return format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8 || format == D3DFMT_R5G6B5 ||
           format == D3DFMT_X1R5G5B5;
}

UINT VertexCountOf(D3DPRIMITIVETYPE type, UINT primitiveCount)
{
    switch (type) {
    case D3DPT_POINTLIST:
        return primitiveCount;
    case D3DPT_LINELIST:
        return primitiveCount * 2;
    case D3DPT_LINESTRIP:
        return primitiveCount + 1;
    case D3DPT_TRIANGLELIST:
        return primitiveCount * 3;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN:
        return primitiveCount + 2;
    }
    return 0;
}

}  // namespace platform::d3d8
