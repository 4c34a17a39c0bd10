// Device life, presentation, targets and surfaces.
#include "platform/d3d8/device.h"

#include <algorithm>
#include <cstring>

#include "platform/d3d8/direct3d8.h"

namespace platform::d3d8 {

namespace {

constexpr UINT kMaxBufferBytes = 256U * 1024U * 1024U;

RECT WholeOf(const D3DSURFACE_DESC& d) { return RECT{0, 0, static_cast<LONG>(d.Width), static_cast<LONG>(d.Height)}; }

// A window with a screen hands the frame to the renderer with its swap. One without (the
// off-screen video driver) takes the swap as nothing, and a renderer never told to flush keeps
// every frame's commands and buffers: there the frame is flushed first. On a screen that flush
// only makes the swap wait longer, and late frames several times as common.
void ShowFrame(const GlContext& gl)
{
    if (gl.swapShowsNothing) {
        glFlush();
    }
    SDL_GL_SwapWindow(gl.window);
}

}  // namespace

Device::Device(Direct3D8* parent, std::unique_ptr<GlContext> gl, HWND window, DWORD behavior)
    : parent_(parent), gl_(std::move(gl)), window_(window), behavior_(behavior)
{
    parent_->AddRef();
}

Device::~Device()
{
    gl_->MakeCurrent();
    for (auto& shader : shaders_) {
        if (shader != nullptr && shader->program != 0) {
            gl::DeleteProgramsARB(1, &shader->program);
        }
        if (shader != nullptr && shader->batchProgram != 0) {
            gl::DeleteProgramsARB(1, &shader->batchProgram);
        }
    }
    if (fbo_ != 0) {
        gl::DeleteFramebuffers(1, &fbo_);
    }
    if (readFbo_ != 0) {
        gl::DeleteFramebuffers(1, &readFbo_);
    }
    if (presentQuad_ != 0) {
        gl::DeleteBuffers(1, &presentQuad_);
    }
    if (dummyTexture_ != 0) {
        glDeleteTextures(1, &dummyTexture_);
    }
    SDL_GL_MakeCurrent(gl_->window, nullptr);
    SDL_GL_DeleteContext(gl_->context);
    parent_->Release();
}

HRESULT Device::Init(const D3DPRESENT_PARAMETERS& params)
{
    gl_->MakeCurrent();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    // What the window's own buffers hold, to know whether the back buffer can be one of them.
    glGetIntegerv(GL_RED_BITS, &windowBits_.red);
    glGetIntegerv(GL_GREEN_BITS, &windowBits_.green);
    glGetIntegerv(GL_BLUE_BITS, &windowBits_.blue);
    glGetIntegerv(GL_ALPHA_BITS, &windowBits_.alpha);
    glGetIntegerv(GL_DEPTH_BITS, &windowBits_.depth);
    glGetIntegerv(GL_STENCIL_BITS, &windowBits_.stencil);
    glGetIntegerv(GL_DRAW_BUFFER, &windowBuffer_);
    glReadBuffer(static_cast<GLenum>(windowBuffer_));
    gl::GenFramebuffers(1, &fbo_);
    gl::GenFramebuffers(1, &readFbo_);
    // Corners in clip space with the back buffer's texture coordinates: its rows run from the
    // top, the window's from the bottom.
    static constexpr GLfloat kQuad[16] = {-1.0F, -1.0F, 0.0F, 1.0F, 1.0F, -1.0F, 1.0F, 1.0F,
                                          -1.0F, 1.0F,  0.0F, 0.0F, 1.0F, 1.0F,  1.0F, 0.0F};
    gl::GenBuffers(1, &presentQuad_);
    gl::BindBuffer(GL_ARRAY_BUFFER, presentQuad_);
    gl::BufferData(GL_ARRAY_BUFFER, sizeof kQuad, kQuad, GL_STATIC_DRAW);
    gl::BindBuffer(GL_ARRAY_BUFFER, 0);
    // Sampling a stage without a texture gives opaque white, so an untextured draw under the usual
    // texture × diffuse stage shows its vertex colours (the game's coloured rectangles rely on it).
    const DWORD white = 0xFFFFFFFFU;
    glGenTextures(1, &dummyTexture_);
    gl::ActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, dummyTexture_);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_BGRA, GL_UNSIGNED_BYTE, &white);
    boundTexture_.fill(0xFFFFFFFFU);
    glFrontFace(GL_CCW);
    glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL, GL_SEPARATE_SPECULAR_COLOR);
    glHint(GL_FOG_HINT, GL_NICEST);
    if (HRESULT hr = ApplyPresentParameters(params); FAILED(hr)) {
        return hr;
    }
    SetDefaultStates();
    return D3D_OK;
}

HRESULT Device::QueryInterface(REFIID, void** object)
{
    if (object != nullptr) {
        *object = nullptr;
    }
    return E_NOINTERFACE;
}

ULONG Device::AddRef() { return ++refs_; }

ULONG Device::Release()
{
    const ULONG left = --refs_;
    if (left == 0) {
        // Drop what the device holds; it is deleted once its last resource is gone too.
        released_ = true;
        ++children_;
        ReleaseBindings();
        recording_.reset();
        blocks_.clear();
        Replace<Surface>(renderTarget_, nullptr);
        Replace<Surface>(depthStencil_, nullptr);
        Replace<Surface>(backBuffer_, nullptr);
        Replace<Surface>(autoDepth_, nullptr);
        ChildDestroyed();
    }
    return left;
}

void Device::ChildDestroyed()
{
    --children_;
    if (released_ && children_ == 0) {
        delete this;
    }
}

void Device::ReleaseBindings()
{
    for (auto& t : textures_) {
        Replace<IDirect3DBaseTexture8>(t, nullptr);
    }
    for (auto& s : streams_) {
        Replace<VertexBuffer>(s, nullptr);
    }
    Replace<IndexBuffer>(indices_, nullptr);
}

HRESULT Device::ApplyPresentParameters(const D3DPRESENT_PARAMETERS& in)
{
    D3DPRESENT_PARAMETERS p = in;
    if (p.BackBufferCount == 0) {
        p.BackBufferCount = 1;
    }
    if (p.BackBufferCount > 3 || p.MultiSampleType != D3DMULTISAMPLE_NONE) {
        return D3DERR_INVALIDCALL;
    }
    if (p.Windowed != FALSE) {
        if (p.BackBufferFormat == D3DFMT_UNKNOWN) {
            p.BackBufferFormat = DesktopMode().Format;
        }
        int w = 0;
        int h = 0;
        SDL_GetWindowSize(gl_->window, &w, &h);
        if (p.BackBufferWidth == 0) {
            p.BackBufferWidth = static_cast<UINT>(std::max(w, 1));
        }
        if (p.BackBufferHeight == 0) {
            p.BackBufferHeight = static_cast<UINT>(std::max(h, 1));
        }
    }
    const auto maxSize = static_cast<UINT>(gl_->features.maxTextureSize);
    if (!IsBackBufferFormat(p.BackBufferFormat) || p.BackBufferWidth == 0 || p.BackBufferHeight == 0 ||
        p.BackBufferWidth > maxSize || p.BackBufferHeight > maxSize) {
        return D3DERR_INVALIDCALL;
    }
    if (p.EnableAutoDepthStencil != FALSE && FindDepthFormat(p.AutoDepthStencilFormat) == nullptr) {
        return D3DERR_INVALIDCALL;
    }

    D3DSURFACE_DESC desc{};
    desc.Format = p.BackBufferFormat;
    desc.Type = D3DRTYPE_SURFACE;
    desc.Usage = D3DUSAGE_RENDERTARGET;
    desc.Pool = D3DPOOL_DEFAULT;
    desc.Width = p.BackBufferWidth;
    desc.Height = p.BackBufferHeight;
    desc.Size = desc.Width * desc.Height * FindColorFormat(desc.Format)->bytes;
    auto* back = new Surface(this, Surface::Kind::BackBuffer, desc, nullptr, 0);
    if (!back->Init((p.Flags & D3DPRESENTFLAG_LOCKABLE_BACKBUFFER) != 0)) {
        back->Release();
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    Surface* depth = nullptr;
    if (p.EnableAutoDepthStencil != FALSE) {
        D3DSURFACE_DESC dd = desc;
        dd.Format = p.AutoDepthStencilFormat;
        dd.Usage = D3DUSAGE_DEPTHSTENCIL;
        depth = new Surface(this, Surface::Kind::DepthStencil, dd, nullptr, 0);
        if (!depth->Init(false)) {
            depth->Release();
            back->Release();
            return D3DERR_OUTOFVIDEOMEMORY;
        }
    }

    SDL_SetWindowFullscreen(gl_->window, p.Windowed != FALSE ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
    const bool immediate = p.Windowed != FALSE || p.FullScreen_PresentationInterval == D3DPRESENT_INTERVAL_IMMEDIATE;
    SDL_GL_SetSwapInterval(immediate ? 0 : 1);

    Replace<Surface>(backBuffer_, back);
    presentTexture_ = 0;  // Present sets up the new one
    Replace<Surface>(autoDepth_, depth);
    Replace<Surface>(renderTarget_, back);
    Replace<Surface>(depthStencil_, depth);
    back->Release();
    if (depth != nullptr) {
        depth->Release();
    }
    params_ = p;
    windowPath_ = WindowFits();  // the fresh back buffer has nothing to carry over
    BindTargets();
    viewport_ = D3DVIEWPORT8{0, 0, p.BackBufferWidth, p.BackBufferHeight, 0.0F, 1.0F};
    dirty_ |= kDirtyViewport | kDirtyDepth;

    // A fresh back buffer starts black rather than with whatever the driver left.
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
    glClearColor(0.0F, 0.0F, 0.0F, 1.0F);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | (depth != nullptr ? GL_DEPTH_BUFFER_BIT : 0));
    dirty_ |= kDirtyColorMask;
    return D3D_OK;
}

void Device::BindTargets()
{
    MakeCurrent();
    if (windowPath_ && !WindowHolds(renderTarget_, depthStencil_)) {
        LeaveWindow();
    }
    const bool toWindow = InWindow(renderTarget_);
    if (toWindow) {
        gl::BindFramebuffer(GL_FRAMEBUFFER, 0);
    } else {
        AttachTargets(renderTarget_, depthStencil_);
    }
    if (toWindow != drawingToWindow_) {
        // Direct3D's clockwise front faces are GL's counter-clockwise ones only when drawn upside down.
        drawingToWindow_ = toWindow;
        glFrontFace(toWindow ? GL_CW : GL_CCW);
    }
    dirty_ |= kDirtyViewport | kDirtyDepth | kDirtyStencil;
}

void Device::AttachTargets(Surface* color, Surface* depthStencil)
{
    gl::BindFramebuffer(GL_FRAMEBUFFER, fbo_);
    gl::FramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, color->ColorTexture(),
                             color->ColorLevel());
    const GLuint depth = depthStencil != nullptr ? depthStencil->DepthRenderbuffer() : 0;
    const bool stencil = depthStencil != nullptr && depthStencil->HasStencil();
    gl::FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
    gl::FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_RENDERBUFFER, stencil ? depth : 0);
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
}

bool Device::WindowFits() const
{
    // A copying swap keeps the back buffer after Present; the window's buffer need not survive its swap.
    if (params_.SwapEffect == D3DSWAPEFFECT_COPY || params_.SwapEffect == D3DSWAPEFFECT_COPY_VSYNC) {
        return false;
    }
    int dw = 0;
    int dh = 0;
    SDL_GL_GetDrawableSize(gl_->window, &dw, &dh);
    if (dw != static_cast<int>(params_.BackBufferWidth) || dh != static_cast<int>(params_.BackBufferHeight)) {
        return false;
    }
    const ColorFormat* f = FindColorFormat(params_.BackBufferFormat);
    if (f == nullptr || f->targetInternal != GL_RGB8 || windowBits_.red != 8 || windowBits_.green != 8 ||
        windowBits_.blue != 8 || windowBits_.alpha != 0) {
        return false;
    }
    if (autoDepth_ == nullptr) {
        return true;
    }
    const GLint depthBits = autoDepth_->desc().Format == D3DFMT_D16 ? 16 : 24;
    return windowBits_.depth == depthBits && (!autoDepth_->HasStencil() || windowBits_.stencil == 8);
}

bool Device::WindowHolds(const Surface* target, const Surface* depth) const
{
    if (target == backBuffer_) {
        return depth == nullptr || depth == autoDepth_;
    }
    return depth == nullptr || depth != autoDepth_;
}

void Device::BlitWithWindow(bool toWindow)
{
    // fbo_ with the back buffer and the automatic depth, as drawing into them would have it.
    AttachTargets(backBuffer_, autoDepth_);
    const bool depth = autoDepth_ != nullptr;
    const bool stencil = depth && autoDepth_->HasStencil();
    gl::BindFramebuffer(toWindow ? GL_READ_FRAMEBUFFER : GL_DRAW_FRAMEBUFFER, fbo_);
    gl::BindFramebuffer(toWindow ? GL_DRAW_FRAMEBUFFER : GL_READ_FRAMEBUFFER, 0);
    glDisable(GL_SCISSOR_TEST);
    const auto w = static_cast<GLint>(params_.BackBufferWidth);
    const auto h = static_cast<GLint>(params_.BackBufferHeight);
    gl::BlitFramebuffer(0, 0, w, h, 0, h, w, 0, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    if (depth) {
        // Apart from the colour: a driver that will not copy between its depth layouts keeps the picture.
        gl::BlitFramebuffer(0, 0, w, h, 0, h, w, 0, GL_DEPTH_BUFFER_BIT | (stencil ? GL_STENCIL_BUFFER_BIT : 0),
                            GL_NEAREST);
        glGetError();
    }
}

void Device::LeaveWindow()
{
    BlitWithWindow(false);
    windowPath_ = false;
}

void Device::EnterWindow()
{
    BlitWithWindow(true);
    windowPath_ = true;
}

HRESULT Device::TestCooperativeLevel()
{
    switch (loss_) {
    case Loss::None:
        return D3D_OK;
    case Loss::Lost:
        loss_ = Loss::NotReset;
        return D3DERR_DEVICELOST;
    case Loss::NotReset:
        break;
    }
    return D3DERR_DEVICENOTRESET;
}

HRESULT Device::GetDirect3D(IDirect3D8** d3d)
{
    if (d3d == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    parent_->AddRef();
    *d3d = parent_;
    return D3D_OK;
}

HRESULT Device::GetDeviceCaps(D3DCAPS8* caps)
{
    if (caps == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    FillCaps(gl_->features, caps);
    return D3D_OK;
}

HRESULT Device::GetDisplayMode(D3DDISPLAYMODE* mode)
{
    if (mode == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    const D3DDISPLAYMODE desktop = DesktopMode();
    if (params_.Windowed != FALSE) {
        *mode = desktop;
    } else {
        *mode = D3DDISPLAYMODE{params_.BackBufferWidth, params_.BackBufferHeight, desktop.RefreshRate,
                               params_.BackBufferFormat == D3DFMT_X8R8G8B8 || params_.BackBufferFormat == D3DFMT_A8R8G8B8
                                   ? D3DFMT_X8R8G8B8
                                   : D3DFMT_R5G6B5};
    }
    return D3D_OK;
}

HRESULT Device::Reset(D3DPRESENT_PARAMETERS* params)
{
    if (params == nullptr || recording_ != nullptr) {
        return D3DERR_INVALIDCALL;
    }
    MakeCurrent();
    if (HRESULT hr = ApplyPresentParameters(*params); FAILED(hr)) {
        return hr;
    }
    params->BackBufferWidth = params_.BackBufferWidth;
    params->BackBufferHeight = params_.BackBufferHeight;
    params->BackBufferFormat = params_.BackBufferFormat;
    // Resources of every pool survive a reset here; only the device's state starts over.
    ReleaseBindings();
    shader_ = 0;
    layout_ = FvfLayout{};
    baseVertex_ = 0;
    cache_ = GlStateCache{};
    SetDefaultStates();
    loss_ = Loss::None;
    inScene_ = false;
    FlushBatch();
    return D3D_OK;
}

HRESULT Device::Present(const RECT*, const RECT*, HWND, const RGNDATA*)
{
    if (loss_ != Loss::None) {
        return D3DERR_DEVICELOST;
    }
    MakeCurrent();
    const auto bw = static_cast<GLint>(params_.BackBufferWidth);
    const auto bh = static_cast<GLint>(params_.BackBufferHeight);
    int dw = 0;
    int dh = 0;
    SDL_GL_GetDrawableSize(gl_->window, &dw, &dh);
    if (dw <= 0 || dh <= 0) {
        return D3D_OK;
    }
    if (windowPath_ && !WindowFits()) {
        LeaveWindow();  // the window changed size: the picture is scaled from here on
        BindTargets();
    }
    if (windowPath_) {
        ShowFrame(*gl_);
        return D3D_OK;
    }
    gl::BindFramebuffer(GL_FRAMEBUFFER, 0);  // its draw buffer stays GL_BACK
    // Keep the picture's shape: scale to fit and fill the rest with black.
    const double scale = std::min(static_cast<double>(dw) / bw, static_cast<double>(dh) / bh);
    const GLint w = dw == bw && dh == bh ? bw : static_cast<GLint>(bw * scale + 0.5);
    const GLint h = dw == bw && dh == bh ? bh : static_cast<GLint>(bh * scale + 0.5);
    const GLint x0 = (dw - w) / 2;
    const GLint y0 = (dh - h) / 2;
    glDisable(GL_SCISSOR_TEST);
    if (w != dw || h != dh) {
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glClearColor(0.0F, 0.0F, 0.0F, 1.0F);
        glClear(GL_COLOR_BUFFER_BIT);
        dirty_ |= kDirtyColorMask;
    }
    DrawBackBufferQuad(x0, y0, w, h, w != bw || h != bh);
    ShowFrame(*gl_);
    if (WindowFits() && WindowHolds(renderTarget_, depthStencil_)) {
        EnterWindow();  // from the next frame on, drawn straight into the window
    }
    BindTargets();  // draw and read buffers are kept per framebuffer
    return D3D_OK;
}

HRESULT Device::GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE, IDirect3DSurface8** surface)
{
    if (surface == nullptr || index >= params_.BackBufferCount) {
        return D3DERR_INVALIDCALL;
    }
    backBuffer_->AddRef();
    *surface = backBuffer_;
    return D3D_OK;
}

HRESULT Device::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              IDirect3DTexture8** texture)
{
    if (texture == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *texture = nullptr;
    const auto maxSize = static_cast<UINT>(gl_->features.maxTextureSize);
    if (width == 0 || height == 0 || width > maxSize || height > maxSize || FindColorFormat(format) == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    if ((usage & D3DUSAGE_RENDERTARGET) != 0 && (pool != D3DPOOL_DEFAULT || !IsRenderTargetFormat(format))) {
        return D3DERR_INVALIDCALL;
    }
    auto* t = new Texture(this, width, height, levels, usage, format, pool);
    if (!t->Init()) {
        t->Release();
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    *texture = t;
    return D3D_OK;
}

HRESULT Device::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool, IDirect3DVertexBuffer8** buffer)
{
    if (buffer == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *buffer = nullptr;
    if (length == 0 || pool > D3DPOOL_SYSTEMMEM) {
        return D3DERR_INVALIDCALL;
    }
    if (length > kMaxBufferBytes) {
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    D3DVERTEXBUFFER_DESC desc{D3DFMT_VERTEXDATA, D3DRTYPE_VERTEXBUFFER, usage, pool, length, fvf};
    auto* b = new VertexBuffer(this, desc);
    if (!b->Init()) {
        b->Release();
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    *buffer = b;
    return D3D_OK;
}

HRESULT Device::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                  IDirect3DIndexBuffer8** buffer)
{
    if (buffer == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *buffer = nullptr;
    if (length == 0 || pool > D3DPOOL_SYSTEMMEM || (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32)) {
        return D3DERR_INVALIDCALL;
    }
    if (length > kMaxBufferBytes) {
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    D3DINDEXBUFFER_DESC desc{format, D3DRTYPE_INDEXBUFFER, usage, pool, length};
    auto* b = new IndexBuffer(this, desc);
    if (!b->Init()) {
        b->Release();
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    *buffer = b;
    return D3D_OK;
}

namespace {

HRESULT MakeSurface(Device* device, Surface::Kind kind, UINT width, UINT height, D3DFORMAT format, DWORD usage,
                    D3DPOOL pool, bool lockable, UINT maxSize, IDirect3DSurface8** out)
{
    if (out == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *out = nullptr;
    if (width == 0 || height == 0 || width > maxSize || height > maxSize) {
        return D3DERR_INVALIDCALL;
    }
    UINT bytes = 4;
    if (kind == Surface::Kind::DepthStencil) {
        if (FindDepthFormat(format) == nullptr) {
            return D3DERR_INVALIDCALL;
        }
    } else {
        const ColorFormat* f = FindColorFormat(format);
        if (f == nullptr || (kind == Surface::Kind::RenderTarget && !IsRenderTargetFormat(format))) {
            return D3DERR_INVALIDCALL;
        }
        bytes = f->bytes;
    }
    D3DSURFACE_DESC desc{format, D3DRTYPE_SURFACE, usage, pool, width * height * bytes, D3DMULTISAMPLE_NONE,
                         width, height};
    auto* s = new Surface(device, kind, desc, nullptr, 0);
    if (!s->Init(lockable)) {
        s->Release();
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    *out = s;
    return D3D_OK;
}

}  // namespace

HRESULT Device::CreateRenderTarget(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                                   BOOL lockable, IDirect3DSurface8** surface)
{
    if (multiSample != D3DMULTISAMPLE_NONE) {
        return D3DERR_INVALIDCALL;
    }
    return MakeSurface(this, Surface::Kind::RenderTarget, width, height, format, D3DUSAGE_RENDERTARGET,
                       D3DPOOL_DEFAULT, lockable != FALSE, static_cast<UINT>(gl_->features.maxTextureSize), surface);
}

HRESULT Device::CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                                          IDirect3DSurface8** surface)
{
    if (multiSample != D3DMULTISAMPLE_NONE) {
        return D3DERR_INVALIDCALL;
    }
    return MakeSurface(this, Surface::Kind::DepthStencil, width, height, format, D3DUSAGE_DEPTHSTENCIL,
                       D3DPOOL_DEFAULT, false, static_cast<UINT>(gl_->features.maxTextureSize), surface);
}

HRESULT Device::CreateImageSurface(UINT width, UINT height, D3DFORMAT format, IDirect3DSurface8** surface)
{
    return MakeSurface(this, Surface::Kind::Image, width, height, format, 0, D3DPOOL_SYSTEMMEM, true,
                       static_cast<UINT>(gl_->features.maxTextureSize), surface);
}

void TurnRowsOver(BYTE* first, size_t pitch, size_t bytes, LONG rows)
{
    for (LONG top = 0, bottom = rows - 1; top < bottom; ++top, --bottom) {
        std::swap_ranges(first + static_cast<size_t>(top) * pitch, first + static_cast<size_t>(top) * pitch + bytes,
                         first + static_cast<size_t>(bottom) * pitch);
    }
}

void Device::BindSurface(GLenum target, Surface* surface, RECT* rect)
{
    if (InWindow(surface)) {
        // The window's rows run from the bottom: the rectangle is turned over.
        const auto height = static_cast<LONG>(surface->desc().Height);
        rect->top = height - rect->top;
        rect->bottom = height - rect->bottom;
        gl::BindFramebuffer(target, 0);
        return;
    }
    const bool read = target == GL_READ_FRAMEBUFFER;
    gl::BindFramebuffer(target, read ? readFbo_ : fbo_);
    gl::FramebufferTexture2D(target, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, surface->ColorTexture(),
                             surface->ColorLevel());
    if (read) {
        glReadBuffer(GL_COLOR_ATTACHMENT0);
    }
}

bool Device::ReadSurface(Surface* surface, const RECT& rect, BYTE* dest, UINT destPitch)
{
    const ColorFormat* f = FindColorFormat(surface->desc().Format);
    const GLuint texture = surface->ColorTexture();
    if (f == nullptr || texture == 0) {
        return false;
    }
    MakeCurrent();
    const LONG w = rect.right - rect.left;
    const LONG h = rect.bottom - rect.top;
    RECT at = rect;
    BindSurface(GL_READ_FRAMEBUFFER, surface, &at);
    glPixelStorei(GL_PACK_ROW_LENGTH, static_cast<GLint>(destPitch / f->bytes));
    glReadPixels(at.left, std::min(at.top, at.bottom), w, h, f->glFormat, f->glType, dest);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    gl::BindFramebuffer(GL_READ_FRAMEBUFFER, CurrentFramebuffer());
    if (InWindow(surface)) {
        TurnRowsOver(dest, destPitch, static_cast<size_t>(w) * f->bytes, h);
    }
    return glGetError() == GL_NO_ERROR;
}

bool Device::WriteSurface(Surface* surface, const RECT& rect, const BYTE* source, UINT sourcePitch)
{
    const ColorFormat* f = FindColorFormat(surface->desc().Format);
    const GLuint texture = surface->ColorTexture();
    if (f == nullptr || texture == 0) {
        return false;
    }
    MakeCurrent();
    gl::ActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
    ForgetTexture(texture);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, static_cast<GLint>(sourcePitch / f->bytes));
    glTexSubImage2D(GL_TEXTURE_2D, surface->ColorLevel(), rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, f->glFormat, f->glType, source);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    CountTextureUpload(static_cast<std::uint64_t>(rect.right - rect.left) * (rect.bottom - rect.top) * f->bytes);
    if (InWindow(surface)) {
        // The texture stands in for the window's rows here: they go on to the window turned over.
        gl::BindFramebuffer(GL_READ_FRAMEBUFFER, readFbo_);
        gl::FramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
        glReadBuffer(GL_COLOR_ATTACHMENT0);
        RECT into = rect;
        BindSurface(GL_DRAW_FRAMEBUFFER, surface, &into);
        glDisable(GL_SCISSOR_TEST);
        gl::BlitFramebuffer(rect.left, rect.top, rect.right, rect.bottom, into.left, into.top, into.right, into.bottom,
                            GL_COLOR_BUFFER_BIT, GL_NEAREST);
        BindTargets();
    }
    return glGetError() == GL_NO_ERROR;
}

void Device::ForgetTexture(GLuint name)
{
    // Unit 0 was just used for an upload, and a deleted name may come back for another texture.
    cache_.activeUnit = GlStateCache::kUnknown;
    boundTexture_[0] = 0xFFFFFFFFU;
    for (GLuint& bound : boundTexture_) {
        if (bound == name) {
            bound = 0xFFFFFFFFU;
        }
    }
}

void Device::ForgetBuffers()
{
    const GlStateCache::Pointer unknown;
    cache_.arrayBuffer = GlStateCache::kUnknown;
    cache_.elementBuffer = GlStateCache::kUnknown;
    cache_.vertex = cache_.normal = cache_.color = cache_.secondary = unknown;
    cache_.texCoord.fill(unknown);
}

HRESULT Device::CopyRects(IDirect3DSurface8* source, const RECT* sourceRects, UINT count, IDirect3DSurface8* dest,
                          const POINT* destPoints)
{
    if (source == nullptr || dest == nullptr || source == dest) {
        return D3DERR_INVALIDCALL;
    }
    auto* src = static_cast<Surface*>(source);
    auto* dst = static_cast<Surface*>(dest);
    const D3DSURFACE_DESC& sd = src->desc();
    const D3DSURFACE_DESC& dd = dst->desc();
    const ColorFormat* f = FindColorFormat(sd.Format);
    if (f == nullptr || sd.Format != dd.Format || src->kind() == Surface::Kind::DepthStencil ||
        dst->kind() == Surface::Kind::DepthStencil) {
        return D3DERR_INVALIDCALL;
    }
    const RECT whole = WholeOf(sd);
    const UINT n = sourceRects == nullptr || count == 0 ? 1 : count;
    // Check every rectangle before anything is copied.
    for (UINT i = 0; i < n; ++i) {
        const RECT r = sourceRects == nullptr || count == 0 ? whole : sourceRects[i];
        const POINT p = destPoints != nullptr ? destPoints[i] : POINT{r.left, r.top};
        const LONG w = r.right - r.left;
        const LONG h = r.bottom - r.top;
        if (r.left < 0 || r.top < 0 || w <= 0 || h <= 0 || r.right > whole.right || r.bottom > whole.bottom ||
            p.x < 0 || p.y < 0 || p.x + w > static_cast<LONG>(dd.Width) || p.y + h > static_cast<LONG>(dd.Height)) {
            return D3DERR_INVALIDCALL;
        }
    }
    // Images and ordinary textures keep their pixels in memory; targets keep them in GL.
    UINT srcPitch = 0;
    UINT dstPitch = 0;
    BYTE* srcMem = src->MemoryView(&srcPitch);
    BYTE* dstMem = dst->MemoryView(&dstPitch);
    for (UINT i = 0; i < n; ++i) {
        const RECT r = sourceRects == nullptr || count == 0 ? whole : sourceRects[i];
        const POINT p = destPoints != nullptr ? destPoints[i] : POINT{r.left, r.top};
        const LONG w = r.right - r.left;
        const LONG h = r.bottom - r.top;
        const RECT to{p.x, p.y, p.x + w, p.y + h};
        if (srcMem != nullptr && dstMem != nullptr) {
            for (LONG y = 0; y < h; ++y) {
                std::memcpy(dstMem + static_cast<size_t>(p.y + y) * dstPitch + static_cast<size_t>(p.x) * f->bytes,
                            srcMem + static_cast<size_t>(r.top + y) * srcPitch + static_cast<size_t>(r.left) * f->bytes,
                            static_cast<size_t>(w) * f->bytes);
            }
            dst->MemoryChanged(to);
        } else if (dstMem != nullptr) {
            if (!ReadSurface(src, r, dstMem + static_cast<size_t>(p.y) * dstPitch + static_cast<size_t>(p.x) * f->bytes,
                             dstPitch)) {
                return D3DERR_INVALIDCALL;
            }
            dst->MemoryChanged(to);
        } else if (srcMem != nullptr) {
            if (!WriteSurface(dst, to,
                              srcMem + static_cast<size_t>(r.top) * srcPitch + static_cast<size_t>(r.left) * f->bytes,
                              srcPitch)) {
                return D3DERR_INVALIDCALL;
            }
        } else {
            MakeCurrent();
            RECT from = r;
            RECT into = to;
            BindSurface(GL_READ_FRAMEBUFFER, src, &from);
            BindSurface(GL_DRAW_FRAMEBUFFER, dst, &into);
            glDisable(GL_SCISSOR_TEST);
            gl::BlitFramebuffer(from.left, from.top, from.right, from.bottom, into.left, into.top, into.right,
                                into.bottom, GL_COLOR_BUFFER_BIT, GL_NEAREST);
            BindTargets();
        }
    }
    return D3D_OK;
}

HRESULT Device::SetRenderTarget(IDirect3DSurface8* target, IDirect3DSurface8* depthStencil)
{
    auto* rt = static_cast<Surface*>(target);
    auto* ds = static_cast<Surface*>(depthStencil);
    if (rt != nullptr) {
        const bool colour = rt->kind() == Surface::Kind::RenderTarget || rt->kind() == Surface::Kind::BackBuffer ||
                            (rt->kind() == Surface::Kind::TextureLevel && (rt->desc().Usage & D3DUSAGE_RENDERTARGET) != 0);
        if (!colour) {
            return D3DERR_INVALIDCALL;
        }
    }
    if (ds != nullptr && ds->kind() != Surface::Kind::DepthStencil) {
        return D3DERR_INVALIDCALL;
    }
    FlushBatch();
    if (rt != nullptr) {
        Replace<Surface>(renderTarget_, rt);
    }
    Replace<Surface>(depthStencil_, ds);
    BindTargets();
    viewport_ = D3DVIEWPORT8{0, 0, renderTarget_->desc().Width, renderTarget_->desc().Height, 0.0F, 1.0F};
    dirty_ |= kDirtyViewport;
    return D3D_OK;
}

HRESULT Device::GetRenderTarget(IDirect3DSurface8** target)
{
    if (target == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    renderTarget_->AddRef();
    *target = renderTarget_;
    return D3D_OK;
}

HRESULT Device::GetDepthStencilSurface(IDirect3DSurface8** depthStencil)
{
    if (depthStencil == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *depthStencil = depthStencil_;
    if (depthStencil_ == nullptr) {
        return D3DERR_NOTFOUND;
    }
    depthStencil_->AddRef();
    return D3D_OK;
}

HRESULT Device::BeginScene()
{
    if (inScene_) {
        return D3DERR_INVALIDCALL;
    }
    inScene_ = true;
    return D3D_OK;
}

HRESULT Device::EndScene()
{
    if (!inScene_) {
        return D3DERR_INVALIDCALL;
    }
    inScene_ = false;
    FlushBatch();
    return D3D_OK;
}

HRESULT Device::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil)
{
    if ((count != 0 && rects == nullptr) || (flags & ~(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) != 0) {
        return D3DERR_INVALIDCALL;
    }
    if (loss_ != Loss::None) {
        return D3D_OK;
    }
    MakeCurrent();
    GLbitfield bits = 0;
    if ((flags & D3DCLEAR_TARGET) != 0) {
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glClearColor(((color >> 16) & 0xFF) / 255.0F, ((color >> 8) & 0xFF) / 255.0F, (color & 0xFF) / 255.0F,
                     ((color >> 24) & 0xFF) / 255.0F);
        bits |= GL_COLOR_BUFFER_BIT;
        dirty_ |= kDirtyColorMask;
    }
    // Without a depth buffer the z and stencil parts have nothing to clear; the colour still is.
    if ((flags & D3DCLEAR_ZBUFFER) != 0 && depthStencil_ != nullptr) {
        glDepthMask(GL_TRUE);
        glClearDepth(std::clamp(z, 0.0F, 1.0F));
        bits |= GL_DEPTH_BUFFER_BIT;
        dirty_ |= kDirtyDepth;
    }
    if ((flags & D3DCLEAR_STENCIL) != 0 && depthStencil_ != nullptr && depthStencil_->HasStencil()) {
        glStencilMask(0xFFFFFFFFU);
        glClearStencil(static_cast<GLint>(stencil));
        bits |= GL_STENCIL_BUFFER_BIT;
        dirty_ |= kDirtyStencil;
    }
    if (bits == 0) {
        return D3D_OK;
    }
    // Clear reaches only the viewport, and within it only the given rectangles.
    const LONG vx1 = static_cast<LONG>(viewport_.X);
    const LONG vy1 = static_cast<LONG>(viewport_.Y);
    const LONG vx2 = vx1 + static_cast<LONG>(viewport_.Width);
    const LONG vy2 = vy1 + static_cast<LONG>(viewport_.Height);
    glEnable(GL_SCISSOR_TEST);
    const DWORD n = count == 0 ? 1 : count;
    for (DWORD i = 0; i < n; ++i) {
        D3DRECT r = count == 0 ? D3DRECT{vx1, vy1, vx2, vy2} : rects[i];
        r.x1 = std::max(r.x1, vx1);
        r.y1 = std::max(r.y1, vy1);
        r.x2 = std::min(r.x2, vx2);
        r.y2 = std::min(r.y2, vy2);
        if (r.x2 <= r.x1 || r.y2 <= r.y1) {
            continue;
        }
        const LONG y = drawingToWindow_ ? static_cast<LONG>(renderTarget_->desc().Height) - r.y2 : r.y1;
        glScissor(r.x1, y, r.x2 - r.x1, r.y2 - r.y1);
        glClear(bits);
    }
    glDisable(GL_SCISSOR_TEST);
    return D3D_OK;
}

}  // namespace platform::d3d8
