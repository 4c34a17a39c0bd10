// Shared internals of the Direct3D layer. Only platform/d3d8 includes this.
#pragma once

#include <SDL.h>

#include <memory>
#include <vector>

#include "platform/d3d8/d3d8.h"
#include "platform/d3d8/gl_api.h"
#include "platform/win32/com_object.h"

namespace platform::d3d8 {

// The GL context of one device, made current whenever the device works.
struct GlContext {
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    gl::Features features;
    // A window without a screen (the offscreen and dummy video drivers): its swap does nothing, so
    // nothing tells the renderer a frame is done unless it is flushed.
    bool swapShowsNothing = false;

    void MakeCurrent() const
    {
        if (SDL_GL_GetCurrentContext() != context) {
            SDL_GL_MakeCurrent(window, context);
        }
    }
};

// Points a counted slot at another object, referencing the new one before letting go of the old.
template <class T>
void Replace(T*& slot, T* value)
{
    if (value != nullptr) {
        value->AddRef();
    }
    if (slot != nullptr) {
        slot->Release();
    }
    slot = value;
}

// The first empty slot of a handle table, grown by one when all are taken.
template <class T>
size_t FreeSlot(std::vector<std::unique_ptr<T>>& table)
{
    size_t slot = 0;
    while (slot < table.size() && table[slot] != nullptr) {
        ++slot;
    }
    if (slot == table.size()) {
        table.emplace_back();
    }
    return slot;
}

// How a D3D colour format is stored in GL: uploaded as it lies in memory.
struct ColorFormat {
    D3DFORMAT format;
    UINT bytes;
    GLenum textureInternal;
    GLenum targetInternal;  // a colour-renderable internal format for render targets
    GLenum glFormat;
    GLenum glType;
    bool alpha;
};
const ColorFormat* FindColorFormat(D3DFORMAT format);
bool IsRenderTargetFormat(D3DFORMAT format);

struct DepthFormat {
    D3DFORMAT format;
    GLenum internal;
    bool stencil;
};
const DepthFormat* FindDepthFormat(D3DFORMAT format);

bool IsBackBufferFormat(D3DFORMAT format);

// Number of vertices a draw of this many primitives uses; 0 for an unknown type.
UINT VertexCountOf(D3DPRIMITIVETYPE type, UINT primitiveCount);

// Turns over the rows of a rectangle read from the window, whose rows run from the bottom.
void TurnRowsOver(BYTE* first, size_t pitch, size_t bytes, LONG rows);

}  // namespace platform::d3d8
