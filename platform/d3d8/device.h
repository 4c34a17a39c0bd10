// The device and its resources. Only platform/d3d8 includes this.
#pragma once

#include <array>
#include <bitset>
#include <map>
#include <memory>
#include <vector>

#include "platform/d3d8/d3d8_internal.h"
#include "platform/d3d8/seams.h"
#include "platform/d3d8/vs_translate.h"

namespace platform::d3d8 {

class Device;
class Texture;

// Object of a device that keeps the device (and its GL context) alive.
class DeviceChild {
public:
    explicit DeviceChild(Device* device);
    virtual ~DeviceChild();
    DeviceChild(const DeviceChild&) = delete;
    DeviceChild& operator=(const DeviceChild&) = delete;

    Device* OwnerDevice() const { return device_; }
    HRESULT GetDeviceImpl(IDirect3DDevice8** out) const;

protected:
    Device* device_;
};

// A surface: a texture level, a render target, a depth-stencil, an image in memory, or the back buffer.
class Surface final : public ComObject<IDirect3DSurface8>, public DeviceChild {
public:
    enum class Kind { TextureLevel, RenderTarget, DepthStencil, Image, BackBuffer };

    Surface(Device* device, Kind kind, const D3DSURFACE_DESC& desc, Texture* container, UINT level);
    ~Surface() override;
    bool Init(bool lockable);  // creates the GL storage; false when GL refuses

    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetDevice(IDirect3DDevice8** device) override { return GetDeviceImpl(device); }
    HRESULT GetDesc(D3DSURFACE_DESC* desc) override;
    HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect() override;

    Kind kind() const { return kind_; }
    const D3DSURFACE_DESC& desc() const { return desc_; }
    // GL colour storage: texture name and level (0 when the surface has none).
    GLuint ColorTexture() const;
    GLint ColorLevel() const { return static_cast<GLint>(level_); }
    GLuint DepthRenderbuffer() const { return renderbuffer_; }
    bool HasStencil() const;
    // Pixel rows kept in memory (images, levels of ordinary textures); null for surfaces drawn into.
    BYTE* MemoryView(UINT* pitch);
    // After MemoryView's rows changed: a texture level is uploaded again.
    void MemoryChanged(const RECT& rect);

private:
    Kind kind_;
    D3DSURFACE_DESC desc_;
    Texture* container_;
    UINT level_;
    GLuint texture_ = 0;
    GLuint renderbuffer_ = 0;
    bool lockable_ = false;
    bool locked_ = false;
    RECT lockRect_{};
    UINT pitch_ = 0;
    std::vector<BYTE> memory_;  // image surfaces; scratch of a locked render target
};

// What a texture stage asks of its texture's sampling; worked out when the stage's states change
// and compared with the texture's own before each draw.
struct SamplerState {
    GLint wrapS = GL_REPEAT;
    GLint wrapT = GL_REPEAT;
    GLint minFilter = GL_NEAREST_MIPMAP_LINEAR;
    GLint magFilter = GL_LINEAR;
    GLint baseLevel = 0;
    float lodBias = 0.0F;
    float anisotropy = 1.0F;
    DWORD border = 0;
    bool operator==(const SamplerState&) const = default;
};

class Texture final : public ComObject<IDirect3DTexture8>, public DeviceChild {
public:
    Texture(Device* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool);
    ~Texture() override;
    bool Init();

    HRESULT GetDevice(IDirect3DDevice8** device) override { return GetDeviceImpl(device); }
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }
    DWORD GetLevelCount() override { return static_cast<DWORD>(levels_.size()); }
    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
    HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface8** surface) override;
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect(UINT level) override;

    GLuint Name() const { return name_; }
    D3DFORMAT Format() const { return format_; }
    bool IsRenderTarget() const { return (usage_ & D3DUSAGE_RENDERTARGET) != 0; }
    void ApplySampler(const SamplerState& wanted, bool anisotropic);
    // The stored rows of a level; null for render-target textures.
    BYTE* LevelMemory(UINT level, UINT* pitch);
    void UploadLevel(UINT level, const RECT& rect);

private:
    struct Level {
        UINT width = 0;
        UINT height = 0;
        UINT pitch = 0;
        std::vector<BYTE> memory;
        bool locked = false;
        RECT lockRect{};
        std::unique_ptr<Surface> surface;
    };
    D3DSURFACE_DESC LevelDesc(UINT level) const;

    D3DFORMAT format_;
    DWORD usage_;
    D3DPOOL pool_;
    GLuint name_ = 0;
    std::vector<Level> levels_;
    SamplerState applied_;
};

// Memory of a vertex or index buffer, mirrored into a GL buffer before it is drawn.
struct BufferStore {
    std::vector<BYTE> memory;
    GLuint name = 0;
    GLenum target = GL_ARRAY_BUFFER;
    size_t dirtyBegin = 0;
    size_t dirtyEnd = 0;
    bool locked = false;

    HRESULT Lock(UINT offset, UINT size, BYTE** data, DWORD flags);
    HRESULT Unlock();
    // Uploads what changed since the last draw (buffer bound to its target); answers the bytes.
    size_t Sync();
};

class VertexBuffer final : public ComObject<IDirect3DVertexBuffer8>, public DeviceChild {
public:
    VertexBuffer(Device* device, const D3DVERTEXBUFFER_DESC& desc);
    ~VertexBuffer() override;
    bool Init();

    HRESULT GetDevice(IDirect3DDevice8** device) override { return GetDeviceImpl(device); }
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_VERTEXBUFFER; }
    HRESULT Lock(UINT offset, UINT size, BYTE** data, DWORD flags) override { return store_.Lock(offset, size, data, flags); }
    HRESULT Unlock() override { return store_.Unlock(); }
    HRESULT GetDesc(D3DVERTEXBUFFER_DESC* desc) override;

    BufferStore& store() { return store_; }

private:
    D3DVERTEXBUFFER_DESC desc_;
    BufferStore store_;
};

// The lowest and highest index of a run of indices.
struct IndexRange {
    UINT low = 0xFFFFFFFFU;
    UINT high = 0;
};
IndexRange IndexRangeOf(const void* indices, bool wide, UINT count);

class IndexBuffer final : public ComObject<IDirect3DIndexBuffer8>, public DeviceChild {
public:
    IndexBuffer(Device* device, const D3DINDEXBUFFER_DESC& desc);
    ~IndexBuffer() override;
    bool Init();

    HRESULT GetDevice(IDirect3DDevice8** device) override { return GetDeviceImpl(device); }
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_INDEXBUFFER; }
    // Whatever is written may change the indices: the ranges found so far are forgotten.
    HRESULT Lock(UINT offset, UINT size, BYTE** data, DWORD flags) override
    {
        rangeCount_ = 0;
        nextRange_ = 0;
        return store_.Lock(offset, size, data, flags);
    }
    HRESULT Unlock() override { return store_.Unlock(); }
    HRESULT GetDesc(D3DINDEXBUFFER_DESC* desc) override;

    BufferStore& store() { return store_; }
    D3DFORMAT Format() const { return desc_.Format; }
    // The range of count indices from start (inside the buffer), scanned once and then remembered.
    IndexRange RangeOf(UINT start, UINT count);

private:
    struct KnownRange {
        UINT start;
        UINT count;
        IndexRange range;
    };
    static constexpr size_t kKnownRanges = 64;  // a mesh draws each of its subsets from one buffer

    D3DINDEXBUFFER_DESC desc_;
    BufferStore store_;
    // Held in place, so that a draw never allocates.
    std::array<KnownRange, kKnownRanges> ranges_{};
    size_t rangeCount_ = 0;
    size_t nextRange_ = 0;  // replaced next once the list is full
};

// GL bindings, switches and fixed-function array pointers as last set, so draws skip calls that
// change nothing. kUnknown makes the next call go through (after code outside the cache moved it).
struct GlStateCache {
    static constexpr GLuint kUnknown = 0xFFFFFFFFU;
    struct Pointer {
        GLuint buffer = kUnknown;
        const void* at = nullptr;
        GLsizei stride = 0;
        GLint size = 0;
    };
    GLuint arrayBuffer = kUnknown;
    GLuint elementBuffer = kUnknown;
    GLuint activeUnit = kUnknown;
    GLuint clientUnit = kUnknown;
    int colorSum = -1;
    Pointer vertex;
    Pointer normal;
    Pointer color;
    Pointer secondary;
    std::array<Pointer, 8> texCoord;  // per texture stage

    // True when the pointer differs from what GL has (the array buffer bound now is part of it),
    // and notes the new one.
    bool PointerChanged(Pointer* p, GLint size, GLsizei stride, const void* at)
    {
        if (p->buffer == arrayBuffer && p->at == at && p->stride == stride && p->size == size) {
            return false;
        }
        *p = Pointer{arrayBuffer, at, stride, size};
        return true;
    }
};

// Where each part of an FVF vertex lies.
struct FvfLayout {
    DWORD fvf = 0;
    UINT size = 0;
    bool pretransformed = false;
    int normal = -1;
    int diffuse = -1;
    int specular = -1;
    UINT texSets = 0;
    std::array<int, 8> texOffset{};
    std::array<int, 8> texSize{};
};
FvfLayout LayoutOfFvf(DWORD fvf);

// A vertex shader program with its stream declaration.
struct VertexShaderObject {
    struct Element {
        UINT stream;
        UINT reg;
        DWORD type;
        UINT offset;
    };
    std::vector<Element> elements;
    std::vector<std::pair<UINT, std::array<float, 4>>> constants;  // from the declaration
    GLuint program = 0;
    float ySign = 0.0F;  // the sign its position's y leaves with, as last set (0 not yet)
    // The same program reading the constants it uses from vertex attributes, so that draws that
    // differ only in constants go to GL as one (0 when it cannot: relative reads, too few attributes).
    GLuint batchProgram = 0;
    float batchYSign = 0.0F;
    std::vector<UINT> batchConstants;  // constant registers, in the order of batchInputs
    std::vector<UINT> batchInputs;     // the attribute each is read from
};

// What a state block holds: only what was set while it was recorded.
struct StateBlock {
    std::bitset<D3DRS_MAX> renderSet;
    std::array<DWORD, D3DRS_MAX> render{};
    std::array<std::bitset<D3DTSS_MAX>, 8> stageSet;
    std::array<std::array<DWORD, D3DTSS_MAX>, 8> stage{};
    std::array<bool, 8> textureSet{};
    std::array<IDirect3DBaseTexture8*, 8> texture{};  // referenced
    bool shaderSet = false;
    DWORD shader = 0;
    std::map<DWORD, D3DMATRIX> transforms;
    bool viewportSet = false;
    D3DVIEWPORT8 viewport{};
    bool materialSet = false;
    D3DMATERIAL8 material{};
    std::map<DWORD, D3DLIGHT8> lights;
    std::map<DWORD, BOOL> lightEnable;
    // The states set above in ascending order, listed when recording ends so that applying a
    // block visits only those.
    std::vector<DWORD> renderList;
    std::array<std::vector<DWORD>, 8> stageList;

    void ListStates();
    ~StateBlock();
};

class Direct3D8;

class Device final : public IDirect3DDevice8 {
public:
    static constexpr int kStages = 4;
    static constexpr int kMaxConstants = 96;

    Device(Direct3D8* parent, std::unique_ptr<GlContext> gl, HWND window, DWORD behavior);
    ~Device() override;
    HRESULT Init(const D3DPRESENT_PARAMETERS& params);

    // IUnknown
    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT TestCooperativeLevel() override;
    HRESULT GetDirect3D(IDirect3D8** d3d) override;
    HRESULT GetDeviceCaps(D3DCAPS8* caps) override;
    HRESULT GetDisplayMode(D3DDISPLAYMODE* mode) override;
    HRESULT Reset(D3DPRESENT_PARAMETERS* params) override;
    HRESULT Present(const RECT* source, const RECT* dest, HWND override, const RGNDATA* dirty) override;
    HRESULT GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface8** surface) override;

    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                          IDirect3DTexture8** texture) override;
    HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                               IDirect3DVertexBuffer8** buffer) override;
    HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              IDirect3DIndexBuffer8** buffer) override;
    HRESULT CreateRenderTarget(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                               BOOL lockable, IDirect3DSurface8** surface) override;
    HRESULT CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                                      IDirect3DSurface8** surface) override;
    HRESULT CreateImageSurface(UINT width, UINT height, D3DFORMAT format, IDirect3DSurface8** surface) override;
    HRESULT CopyRects(IDirect3DSurface8* source, const RECT* sourceRects, UINT count, IDirect3DSurface8* dest,
                      const POINT* destPoints) override;
    HRESULT SetRenderTarget(IDirect3DSurface8* target, IDirect3DSurface8* depthStencil) override;
    HRESULT GetRenderTarget(IDirect3DSurface8** target) override;
    HRESULT GetDepthStencilSurface(IDirect3DSurface8** depthStencil) override;

    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil) override;

    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
    HRESULT SetViewport(const D3DVIEWPORT8* viewport) override;
    HRESULT GetViewport(D3DVIEWPORT8* viewport) override;
    HRESULT SetMaterial(const D3DMATERIAL8* material) override;
    HRESULT GetMaterial(D3DMATERIAL8* material) override;
    HRESULT SetLight(DWORD index, const D3DLIGHT8* light) override;
    HRESULT GetLight(DWORD index, D3DLIGHT8* light) override;
    HRESULT LightEnable(DWORD index, BOOL enable) override;
    HRESULT GetLightEnable(DWORD index, BOOL* enable) override;
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;

    HRESULT BeginStateBlock() override;
    HRESULT EndStateBlock(DWORD* token) override;
    HRESULT ApplyStateBlock(DWORD token) override;
    HRESULT CaptureStateBlock(DWORD token) override;
    HRESULT DeleteStateBlock(DWORD token) override;

    HRESULT GetTexture(DWORD stage, IDirect3DBaseTexture8** texture) override;
    HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture8* texture) override;
    HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) override;
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;

    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) override;
    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount, UINT startIndex,
                                 UINT primitiveCount) override;
    HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices, UINT stride) override;
    HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount, UINT primitiveCount,
                                   const void* indices, D3DFORMAT indexFormat, const void* vertices,
                                   UINT stride) override;

    HRESULT CreateVertexShader(const DWORD* declaration, const DWORD* function, DWORD* handle, DWORD usage) override;
    HRESULT SetVertexShader(DWORD handle) override;
    HRESULT GetVertexShader(DWORD* handle) override;
    HRESULT DeleteVertexShader(DWORD handle) override;
    HRESULT SetVertexShaderConstant(DWORD reg, const void* data, DWORD count) override;
    HRESULT GetVertexShaderConstant(DWORD reg, void* data, DWORD count) override;

    HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer8* buffer, UINT stride) override;
    HRESULT GetStreamSource(UINT stream, IDirect3DVertexBuffer8** buffer, UINT* stride) override;
    HRESULT SetIndices(IDirect3DIndexBuffer8* buffer, UINT baseVertexIndex) override;
    HRESULT GetIndices(IDirect3DIndexBuffer8** buffer, UINT* baseVertexIndex) override;

    // For resources.
    const GlContext& gl() const { return *gl_; }
    // Draws still gathered go to GL first: whatever comes next may change what they draw with.
    void MakeCurrent()
    {
        FlushBatch();
        gl_->MakeCurrent();
    }
    void ChildCreated() { ++children_; }
    void ChildDestroyed();
    // Reads pixels of a GL-backed colour surface in its own D3D layout; false when it has no GL storage.
    bool ReadSurface(Surface* surface, const RECT& rect, BYTE* dest, UINT destPitch);
    bool WriteSurface(Surface* surface, const RECT& rect, const BYTE* source, UINT sourcePitch);
    // The GL texture name the device has bound to unit 0..kStages-1, so resources can forget it;
    // callers may have changed the active unit too.
    void ForgetTexture(GLuint name);
    // A resource bound, made or deleted a GL buffer: bindings and array pointers are set afresh.
    void ForgetBuffers();

    // Test seams (ReadBack is defined in the testing library).
    bool ReadBack(RgbaImage* out);
    void InjectLoss() { loss_ = Loss::Lost; }
    void EnableDrawLog(bool on)
    {
        drawLogOn_ = on;
        drawLog_.clear();
    }
    std::vector<D3D8DrawRecord>& drawLog() { return drawLog_; }
    std::uint64_t glDrawCount() const { return glDraws_; }
    const D3D8Uploads& uploads() const { return uploads_; }
    void CountTextureUpload(std::uint64_t bytes)
    {
        ++uploads_.textures;
        uploads_.textureBytes += bytes;
    }
    // Off: every draw goes to GL on its own, as it comes.
    void EnableBatching(bool on)
    {
        FlushBatch();
        batching_ = on;
    }

private:
    enum class Loss { None, Lost, NotReset };
    enum DirtyBits : std::uint32_t {
        kDirtyBlend = 1U << 0,
        kDirtyDepth = 1U << 1,
        kDirtyAlphaTest = 1U << 2,
        kDirtyCull = 1U << 3,
        kDirtyFog = 1U << 4,
        kDirtyLighting = 1U << 5,
        kDirtyStencil = 1U << 6,
        kDirtyRaster = 1U << 7,
        kDirtyTexEnv = 1U << 8,
        kDirtyModelView = 1U << 9,
        kDirtyProjection = 1U << 10,
        kDirtyViewport = 1U << 11,
        kDirtyTexMatrix = 1U << 12,
        kDirtyColorMask = 1U << 13,
        kDirtySampler = 1U << 14,  // a texture stage's addressing or filtering
        kDirtyNamed = (1U << 15) - 1,
        kDirtyAll = 0xFFFFFFFFU,
    };
    // What the vertices of a draw come from.
    struct VertexSource {
        const BYTE* base[2] = {nullptr, nullptr};  // client pointer or offset into the bound GL buffer
        GLuint buffer[2] = {0, 0};
        const BYTE* memory[2] = {nullptr, nullptr};  // the same vertices in memory
        UINT stride[2] = {0, 0};
    };

    HRESULT ApplyPresentParameters(const D3DPRESENT_PARAMETERS& params);
    void SetDefaultStates();
    void ReleaseBindings();
    void BindTargets();
    void AttachTargets(Surface* color, Surface* depthStencil);  // to fbo_, bound for both
    // The back buffer can live in the window: same size, same colour, depth and stencil bits.
    bool WindowFits() const;
    // Whether the window can stand for this pair of targets (its depth is the automatic one's).
    bool WindowHolds(const Surface* target, const Surface* depth) const;
    bool InWindow(const Surface* surface) const { return windowPath_ && surface == backBuffer_; }
    // Moves the back buffer and the automatic depth between the window and their own storage.
    void LeaveWindow();
    void EnterWindow();
    // Copies between the window and the frame buffer object with the back buffer attached, rows turned over.
    void BlitWithWindow(bool toWindow);
    // Binds the framebuffer that holds a colour surface for reading or drawing; a rectangle of the
    // window comes back turned over (top below bottom), as the blits and reads there want it.
    void BindSurface(GLenum target, Surface* surface, RECT* rect);
    GLuint CurrentFramebuffer() const { return drawingToWindow_ ? 0 : fbo_; }
    HRESULT CheckDrawable() const;
    void MarkRenderState(DWORD state);

    // Consecutive small triangle-list draws that share every state, texture, shader and vertex
    // layout, gathered and handed to GL as one draw in the same order. A program's draws keep
    // the constants each had: its batch program reads them from the vertices.
    struct DrawBatch {
        int draws = 0;  // 0: nothing gathered
        bool program = false;
        DWORD shader = 0;
        UINT streamStride[2] = {0, 0};
        UINT vertexSize = 0;
        // The first draw as it came, issued as it is when nothing joined it (programs only).
        GLenum mode = GL_TRIANGLES;
        bool indexed = false;
        GLint first = 0;
        GLsizei count = 0;
        GLenum indexType = GL_UNSIGNED_SHORT;
        const void* indexAt = nullptr;
        float ySign = 1.0F;
        // What it was gathered under.
        std::array<DWORD, D3DRS_MAX> rs{};
        std::array<std::array<DWORD, D3DTSS_MAX>, kStages> tss{};
        std::array<IDirect3DBaseTexture8*, kStages> textures{};
        D3DVIEWPORT8 viewport{};
        std::array<D3DMATRIX, kStages> textureMatrix{};
        // Every draw's vertices (and, for a program, its constants) and its indices into them.
        std::vector<BYTE> vertices;
        std::vector<std::uint16_t> indices;
        UINT vertexCount = 0;
    };
    // One draw's vertices as the batch takes them.
    struct BatchDraw {
        const BYTE* memory[2] = {nullptr, nullptr};  // vertex 0 of each stream (null: not read)
        UINT stride[2] = {0, 0};
        UINT low = 0;                                 // the vertex range used
        UINT high = 0;
        const void* indices = nullptr;  // null: vertices low..high in order
        bool wide = false;
        UINT indexCount = 0;
    };
    static constexpr UINT kBatchDrawVertices = 64;   // larger draws go as they are
    static constexpr UINT kBatchVertices = 8192;     // per batch
    // Whether the draw could be gathered at all (a program with a batch program, or pre-transformed
    // vertices), and whether it can join the batch gathered now.
    bool Batchable(D3DPRIMITIVETYPE type, UINT vertexCount);
    bool Joins(const BatchDraw& draw) const;
    void StartBatch(const BatchDraw& draw);
    // Pre-transformed vertices: GL draws from the batch's copy, the first draw's state set up for it.
    void StartCopiedBatch(D3DPRIMITIVETYPE type, UINT primitiveCount, const BatchDraw& draw, bool userPointer,
                          UINT loggedVertices);
    void AddToBatch(const BatchDraw& draw);
    void FlushBatch();
    // The vertex memory of the bound streams from baseVertex, checked as BindStreams checks it; no GL.
    bool StreamMemory(UINT baseVertex, UINT vertexEnd, BatchDraw* draw);
    // Drawing.
    GLuint CompileProgram(const std::string& text);
    void MakeBatchProgram(const DWORD* function, size_t length, const VsTranslation& plain,
                          VertexShaderObject* shader);
    // loggedVertices: the count the draw log shows when it is not vertexCount.
    bool PrepareDraw(D3DPRIMITIVETYPE type, const VertexSource& source, UINT firstVertex, UINT vertexCount,
                     UINT primitiveCount, bool userPointer, UINT loggedVertices = 0);
    void ApplyRasterState();
    void ApplyTextureStages();
    void ApplyFixedTransforms(bool pretransformed);
    void ApplyFixedLighting(const FvfLayout& layout, bool pretransformed);
    void SetupFixedArrays(const FvfLayout& layout, const VertexSource& source, UINT firstVertex,
                          UINT vertexCount);
    void SetupShaderArrays(const VertexShaderObject& shader, const VertexSource& source);
    // Binds the streams the current shader or FVF reads; false when one is missing or too short.
    bool BindStreams(UINT baseVertex, UINT vertexEnd, VertexSource* source);
    void SetClientArrays(std::uint32_t wanted);
    void SetAttribArrays(std::uint32_t wanted);
    // Through the state cache.
    void BindArrayBuffer(GLuint name);
    void BindElementBuffer(GLuint name);
    void SelectUnit(int unit);
    void SelectClientUnit(int unit);
    void SetColorSum(bool on);
    void LogDraw(D3DPRIMITIVETYPE type, UINT primitiveCount, UINT vertexCount, bool userPointer);
    // Draws the back buffer into the window's rectangle (GL window coordinates), filtered when scaled.
    void DrawBackBufferQuad(GLint x, GLint y, GLsizei width, GLsizei height, bool scaled);
    VertexShaderObject* ShaderOf(DWORD handle);
    void ApplyBlock(const StateBlock& block);

    ULONG refs_ = 1;
    unsigned children_ = 0;
    bool released_ = false;  // the game let go of its last reference
    Direct3D8* parent_;
    std::unique_ptr<GlContext> gl_;
    HWND window_;
    DWORD behavior_;
    D3DPRESENT_PARAMETERS params_{};
    Loss loss_ = Loss::None;
    bool inScene_ = false;

    Surface* backBuffer_ = nullptr;
    Surface* autoDepth_ = nullptr;
    Surface* renderTarget_ = nullptr;
    Surface* depthStencil_ = nullptr;
    GLuint fbo_ = 0;
    GLuint readFbo_ = 0;
    GLuint presentQuad_ = 0;     // the window-filling quad Present draws the back buffer on
    GLuint presentTexture_ = 0;  // the back buffer whose sampling Present set up last
    GLint presentFilter_ = 0;    // and the filter it set
    GLuint dummyTexture_ = 0;
    // With the back buffer the size of the window, it and the automatic depth are the window's own
    // buffers and Present only swaps; otherwise the back buffer is a texture drawn onto the window.
    bool windowPath_ = false;
    bool drawingToWindow_ = false;  // rows run from the bottom; into textures they run from the top
    struct WindowBits {
        GLint red = 0, green = 0, blue = 0, alpha = 0, depth = 0, stencil = 0;
    } windowBits_;
    GLint windowBuffer_ = GL_BACK;

    // D3D state.
    std::array<DWORD, D3DRS_MAX> rs_{};
    std::array<std::array<DWORD, D3DTSS_MAX>, kStages> tss_{};
    std::array<IDirect3DBaseTexture8*, kStages> textures_{};
    D3DMATRIX world_{};
    D3DMATRIX view_{};
    D3DMATRIX projection_{};
    std::array<D3DMATRIX, kStages> textureMatrix_{};
    D3DVIEWPORT8 viewport_{};
    D3DMATERIAL8 material_{};
    struct LightSlot {
        D3DLIGHT8 light{};
        bool enabled = false;
    };
    std::map<DWORD, LightSlot> lights_;
    DWORD shader_ = 0;
    FvfLayout layout_;
    VertexBuffer* streams_[2] = {nullptr, nullptr};
    UINT streamStride_[2] = {0, 0};
    IndexBuffer* indices_ = nullptr;
    UINT baseVertex_ = 0;
    std::vector<std::unique_ptr<VertexShaderObject>> shaders_;
    std::array<std::array<float, 4>, kMaxConstants> constants_{};
    std::bitset<kMaxConstants> constantsDirty_;  // set since GL last had them
    std::vector<std::unique_ptr<StateBlock>> blocks_;
    std::unique_ptr<StateBlock> recording_;

    // GL state as applied.
    std::uint32_t dirty_ = kDirtyAll;
    std::uint32_t clientArrays_ = 0;
    std::uint32_t attribArrays_ = 0;
    int projectionMode_ = 0;  // 1 pre-transformed, 2 transformed
    bool programMode_ = false;
    GLuint boundProgram_ = 0;
    int lightingMode_ = -1;
    int fogMode_ = -1;
    std::array<GLuint, kStages> boundTexture_{};
    std::array<SamplerState, kStages> sampler_{};  // what each stage asks of its texture
    int enabledUnits_ = 0;
    std::vector<DWORD> colorScratch_;
    GlStateCache cache_;

    bool drawLogOn_ = false;
    std::vector<D3D8DrawRecord> drawLog_;
    std::uint64_t glDraws_ = 0;  // draws handed to GL, for the benchmarks
    D3D8Uploads uploads_;
    bool batching_ = true;
    DrawBatch batch_;
};

}  // namespace platform::d3d8
