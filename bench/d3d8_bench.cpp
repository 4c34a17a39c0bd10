// Two scenes drawn through the Direct3D layer and through plain OpenGL in the same run:
// - 280 meshes of 72 textured triangles (20,160 in all) at 640×480, with the game's preset
//   switches, a texture and a world matrix per draw, fog and alpha test on (frame time);
// - 2,000 draws of two triangles each with the same switches, where the rasteriser does little
//   and the main thread's own CPU time per frame shows what the layer costs per draw.
// After a warm-up the two sides alternate frame by frame (the order swapping every pair), so a
// busy machine slows both alike; each pair gives a ratio and the median is printed.
#include <benchmark/benchmark.h>

#include <SDL.h>

#include "platform/d3d8/d3d8.h"
#include "platform/testing/win32.h"
#include "platform/win32/window_internal.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kMeshes = 280;
constexpr int kCells = 6;  // 6×6 cells, 72 triangles a mesh
constexpr int kSide = kCells + 1;
constexpr int kTextures = 8;
constexpr DWORD kFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;
constexpr int kSmallDraws = 2000;
constexpr int kWarmUp = 10;
constexpr int kPairs = 60;

struct Vertex {
    float x, y, z;
    DWORD color;
    float u, v;
};

struct Scene {
    std::vector<std::vector<Vertex>> meshes;
    std::vector<WORD> indices;
    std::vector<std::vector<DWORD>> textures;  // 64×64 A8R8G8B8
    std::vector<D3DMATRIX> worlds;
    D3DMATRIX view{};
    D3DMATRIX projection{};
};

D3DMATRIX Identity()
{
    D3DMATRIX m{};
    m._11 = m._22 = m._33 = m._44 = 1.0F;
    return m;
}

D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b)
{
    D3DMATRIX r{};
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            for (int k = 0; k < 4; ++k) {
                r.m[i][j] += a.m[i][k] * b.m[k][j];
            }
        }
    }
    return r;
}

Scene MakeScene()
{
    Scene s;
    for (int m = 0; m < kMeshes; ++m) {
        std::vector<Vertex> v;
        for (int y = 0; y < kSide; ++y) {
            for (int x = 0; x < kSide; ++x) {
                const float fx = x / static_cast<float>(kCells) - 0.5F;
                const float fy = y / static_cast<float>(kCells) - 0.5F;
                const DWORD a = (m % 3 == 1) ? 0xA0U : 0xFFU;
                v.push_back({fx, fy, 0.1F * std::sin(fx * 6.0F + m), (a << 24) | ((40U * x) << 16) | ((35U * y) << 8) | 0x80U,
                             fx + 0.5F, fy + 0.5F});
            }
        }
        s.meshes.push_back(v);
        D3DMATRIX w = Identity();
        const float angle = 0.05F * m;
        w._11 = std::cos(angle);
        w._12 = std::sin(angle);
        w._21 = -std::sin(angle);
        w._22 = std::cos(angle);
        w._41 = (m % 20) * 0.55F - 5.2F;
        w._42 = (m / 20) * 0.55F - 3.6F;
        w._43 = 2.0F + (m % 7) * 0.3F;
        s.worlds.push_back(w);
    }
    for (int y = 0; y < kCells; ++y) {
        for (int x = 0; x < kCells; ++x) {
            const WORD i = static_cast<WORD>(y * kSide + x);
            for (WORD k : {i, static_cast<WORD>(i + 1), static_cast<WORD>(i + kSide), static_cast<WORD>(i + 1),
                           static_cast<WORD>(i + kSide + 1), static_cast<WORD>(i + kSide)}) {
                s.indices.push_back(k);
            }
        }
    }
    for (int t = 0; t < kTextures; ++t) {
        std::vector<DWORD> texels(64 * 64);
        for (int i = 0; i < 64 * 64; ++i) {
            const DWORD a = ((i / 64 + i % 64 + t) % 9 == 0) ? 0U : 0xFFU;  // some holes for the alpha test
            texels[i] = (a << 24) | (static_cast<DWORD>(i * (t + 3)) & 0xFFFFFF);
        }
        s.textures.push_back(texels);
    }
    s.view = Identity();
    s.view._43 = 6.0F;
    const float ys = 1.0F / std::tan(0.5F);
    s.projection._11 = ys / (static_cast<float>(kWidth) / kHeight);
    s.projection._22 = ys;
    s.projection._33 = 100.0F / 99.0F;
    s.projection._34 = 1.0F;
    s.projection._43 = -100.0F / 99.0F;
    return s;
}

// The render presets met in a frame: opaque, alpha, additive, switched every ten meshes.
int PresetOf(int mesh) { return (mesh / 10) % 3; }

// ---- Through the layer ----

struct LayerScene {
    HWND window = nullptr;
    IDirect3D8* d3d = nullptr;
    IDirect3DDevice8* device = nullptr;
    std::vector<IDirect3DVertexBuffer8*> buffers;
    IDirect3DIndexBuffer8* indices = nullptr;
    std::vector<IDirect3DTexture8*> textures;
    DWORD presets[3] = {};
    const Scene* scene = nullptr;

    bool Init(const Scene& s)
    {
        scene = &s;
        window = platform::CreateBareWindow("layer", kWidth, kHeight);
        d3d = Direct3DCreate8(D3D_SDK_VERSION);
        if (window == nullptr || d3d == nullptr) {
            return false;
        }
        D3DPRESENT_PARAMETERS pp{};
        pp.BackBufferWidth = kWidth;
        pp.BackBufferHeight = kHeight;
        pp.BackBufferFormat = D3DFMT_X8R8G8B8;
        pp.BackBufferCount = 1;
        pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
        pp.hDeviceWindow = window;
        pp.Windowed = TRUE;
        pp.EnableAutoDepthStencil = TRUE;
        pp.AutoDepthStencilFormat = D3DFMT_D24S8;
        if (FAILED(d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device))) {
            return false;
        }
        for (const auto& mesh : s.meshes) {
            IDirect3DVertexBuffer8* vb = nullptr;
            device->CreateVertexBuffer(static_cast<UINT>(mesh.size() * sizeof(Vertex)), 0, kFvf, D3DPOOL_MANAGED, &vb);
            BYTE* p = nullptr;
            vb->Lock(0, 0, &p, 0);
            std::memcpy(p, mesh.data(), mesh.size() * sizeof(Vertex));
            vb->Unlock();
            buffers.push_back(vb);
        }
        device->CreateIndexBuffer(static_cast<UINT>(s.indices.size() * 2), 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &indices);
        BYTE* p = nullptr;
        indices->Lock(0, 0, &p, 0);
        std::memcpy(p, s.indices.data(), s.indices.size() * 2);
        indices->Unlock();
        for (const auto& texels : s.textures) {
            IDirect3DTexture8* t = nullptr;
            device->CreateTexture(64, 64, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t);
            D3DLOCKED_RECT locked{};
            t->LockRect(0, &locked, nullptr, 0);
            for (int y = 0; y < 64; ++y) {
                std::memcpy(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch, &texels[y * 64], 256);
            }
            t->UnlockRect(0);
            textures.push_back(t);
        }
        // Presets recorded as the game records them: defaults, then the preset's own states.
        static const DWORD kStates[3][5] = {{TRUE, TRUE, FALSE, D3DBLEND_ONE, D3DBLEND_ZERO},
                                            {TRUE, FALSE, TRUE, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA},
                                            {TRUE, FALSE, TRUE, D3DBLEND_ONE, D3DBLEND_ONE}};
        for (int i = 0; i < 3; ++i) {
            device->BeginStateBlock();
            device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
            device->SetRenderState(D3DRS_ALPHAREF, 0);
            device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_NOTEQUAL);
            device->SetRenderState(D3DRS_LIGHTING, TRUE);
            device->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1);
            device->SetRenderState(D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_COLOR1);
            device->SetRenderState(D3DRS_EMISSIVEMATERIALSOURCE, D3DMCS_COLOR1);
            device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
            device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
            device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
            device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
            device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
            device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
            device->SetRenderState(D3DRS_ZENABLE, kStates[i][0]);
            device->SetRenderState(D3DRS_ZWRITEENABLE, kStates[i][1]);
            device->SetRenderState(D3DRS_ALPHABLENDENABLE, kStates[i][2]);
            device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
            device->SetRenderState(D3DRS_FOGENABLE, TRUE);
            device->SetRenderState(D3DRS_SRCBLEND, kStates[i][3]);
            device->SetRenderState(D3DRS_DESTBLEND, kStates[i][4]);
            device->EndStateBlock(&presets[i]);
        }
        return true;
    }

    // Whole meshes, or (small) kSmallDraws draws of a mesh's first two triangles.
    void Frame(bool small = false)
    {
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF203040, 1.0F, 0);
        device->BeginScene();
        device->SetTransform(D3DTS_VIEW, &scene->view);
        device->SetTransform(D3DTS_PROJECTION, &scene->projection);
        const float start = 4.0F;
        const float end = 12.0F;
        DWORD bits = 0;
        device->SetRenderState(D3DRS_FOGCOLOR, 0xFF203040);
        device->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
        std::memcpy(&bits, &start, 4);
        device->SetRenderState(D3DRS_FOGSTART, bits);
        std::memcpy(&bits, &end, 4);
        device->SetRenderState(D3DRS_FOGEND, bits);
        device->SetVertexShader(kFvf);
        device->SetIndices(indices, 0);
        const int draws = small ? kSmallDraws : kMeshes;
        for (int d = 0; d < draws; ++d) {
            const int m = d % kMeshes;
            if (d % 10 == 0) {
                device->ApplyStateBlock(presets[PresetOf(d)]);
            }
            device->SetTransform(D3DTS_WORLD, &scene->worlds[m]);
            device->SetTexture(0, textures[m % kTextures]);
            device->SetStreamSource(0, buffers[m], sizeof(Vertex));
            device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, kSide * kSide, 0, small ? 2 : kCells * kCells * 2);
        }
        device->EndScene();
        device->Present(nullptr, nullptr, nullptr, nullptr);
        glFinish();
    }

    void Release()
    {
        if (device != nullptr) {
            device->SetTexture(0, nullptr);
            device->SetStreamSource(0, nullptr, 0);
            device->SetIndices(nullptr, 0);
        }
        for (auto* b : buffers) {
            b->Release();
        }
        for (auto* t : textures) {
            t->Release();
        }
        if (indices != nullptr) {
            indices->Release();
        }
        if (device != nullptr) {
            device->Release();
        }
        if (d3d != nullptr) {
            d3d->Release();
        }
        platform::DestroyBareWindow(window);
    }
};

// ---- The same with plain OpenGL ----

struct PlainScene {
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    std::vector<GLuint> buffers;
    GLuint indices = 0;
    std::vector<GLuint> textures;
    const Scene* scene = nullptr;
    PFNGLGENBUFFERSPROC genBuffers = nullptr;
    PFNGLBINDBUFFERPROC bindBuffer = nullptr;
    PFNGLBUFFERDATAPROC bufferData = nullptr;
    PFNGLDELETEBUFFERSPROC deleteBuffers = nullptr;

    bool Init(const Scene& s)
    {
        scene = &s;
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);  // before the window: some drivers pick its format then
        window = SDL_CreateWindow("plain", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, kWidth, kHeight,
                                  SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        context = window != nullptr ? SDL_GL_CreateContext(window) : nullptr;
        if (context == nullptr) {
            return false;
        }
        SDL_GL_MakeCurrent(window, context);
        SDL_GL_SetSwapInterval(0);
        genBuffers = reinterpret_cast<PFNGLGENBUFFERSPROC>(SDL_GL_GetProcAddress("glGenBuffers"));
        bindBuffer = reinterpret_cast<PFNGLBINDBUFFERPROC>(SDL_GL_GetProcAddress("glBindBuffer"));
        bufferData = reinterpret_cast<PFNGLBUFFERDATAPROC>(SDL_GL_GetProcAddress("glBufferData"));
        deleteBuffers = reinterpret_cast<PFNGLDELETEBUFFERSPROC>(SDL_GL_GetProcAddress("glDeleteBuffers"));
        for (const auto& mesh : s.meshes) {
            GLuint b = 0;
            genBuffers(1, &b);
            bindBuffer(GL_ARRAY_BUFFER, b);
            bufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(mesh.size() * sizeof(Vertex)), mesh.data(),
                       GL_STATIC_DRAW);
            buffers.push_back(b);
        }
        genBuffers(1, &indices);
        bindBuffer(GL_ELEMENT_ARRAY_BUFFER, indices);
        bufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(s.indices.size() * 2), s.indices.data(),
                   GL_STATIC_DRAW);
        for (const auto& texels : s.textures) {
            GLuint t = 0;
            glGenTextures(1, &t);
            glBindTexture(GL_TEXTURE_2D, t);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 64, 64, 0, GL_BGRA, GL_UNSIGNED_BYTE, texels.data());
            textures.push_back(t);
        }
        return true;
    }

    void ApplyPreset(int preset)
    {
        glEnable(GL_DEPTH_TEST);
        glDepthMask(preset == 0 ? GL_TRUE : GL_FALSE);
        if (preset == 0) {
            glDisable(GL_BLEND);
        } else {
            glEnable(GL_BLEND);
            glBlendFunc(preset == 1 ? GL_SRC_ALPHA : GL_ONE, preset == 1 ? GL_ONE_MINUS_SRC_ALPHA : GL_ONE);
        }
    }

    void Frame(bool small = false)
    {
        SDL_GL_MakeCurrent(window, context);
        glViewport(0, 0, kWidth, kHeight);
        glDepthMask(GL_TRUE);
        glClearColor(0x20 / 255.0F, 0x30 / 255.0F, 0x40 / 255.0F, 1.0F);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_TEXTURE_2D);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        glEnable(GL_ALPHA_TEST);
        glAlphaFunc(GL_NOTEQUAL, 0.0F);
        glDepthFunc(GL_LEQUAL);
        glEnable(GL_FOG);
        glFogi(GL_FOG_MODE, GL_LINEAR);
        glFogf(GL_FOG_START, 4.0F);
        glFogf(GL_FOG_END, 12.0F);
        const GLfloat fog[4] = {0x20 / 255.0F, 0x30 / 255.0F, 0x40 / 255.0F, 1.0F};
        glFogfv(GL_FOG_COLOR, fog);
        // Direct3D's projection turned into GL's clip space, as any port would.
        D3DMATRIX n{};
        n._11 = 1.0F;
        n._22 = 1.0F;
        n._33 = 2.0F;
        n._43 = -1.0F;
        n._44 = 1.0F;
        const D3DMATRIX p = Multiply(scene->projection, n);
        glMatrixMode(GL_PROJECTION);
        glLoadMatrixf(&p.m[0][0]);
        glMatrixMode(GL_MODELVIEW);
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_COLOR_ARRAY);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        bindBuffer(GL_ELEMENT_ARRAY_BUFFER, indices);
        const int draws = small ? kSmallDraws : kMeshes;
        for (int d = 0; d < draws; ++d) {
            const int m = d % kMeshes;
            if (d % 10 == 0) {
                ApplyPreset(PresetOf(d));
            }
            const D3DMATRIX mv = Multiply(scene->worlds[m], scene->view);
            glLoadMatrixf(&mv.m[0][0]);
            glBindTexture(GL_TEXTURE_2D, textures[m % kTextures]);
            bindBuffer(GL_ARRAY_BUFFER, buffers[m]);
            glVertexPointer(3, GL_FLOAT, sizeof(Vertex), nullptr);
            glColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, sizeof(Vertex), reinterpret_cast<const void*>(12));
            glTexCoordPointer(2, GL_FLOAT, sizeof(Vertex), reinterpret_cast<const void*>(16));
            glDrawElements(GL_TRIANGLES, small ? 6 : kCells * kCells * 6, GL_UNSIGNED_SHORT, nullptr);
        }
        SDL_GL_SwapWindow(window);
        glFinish();
    }

    void Release()
    {
        if (context != nullptr) {
            SDL_GL_MakeCurrent(window, context);
            deleteBuffers(static_cast<GLsizei>(buffers.size()), buffers.data());
            deleteBuffers(1, &indices);
            glDeleteTextures(static_cast<GLsizei>(textures.size()), textures.data());
            SDL_GL_DeleteContext(context);
        }
        if (window != nullptr) {
            SDL_DestroyWindow(window);
        }
    }
};

double Seconds(clockid_t clock)
{
    timespec t{};
    clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Median of layer / plain over frame pairs, timed on the given clock.
double PairedRatio(LayerScene& layer, PlainScene& plain, bool small, clockid_t clock)
{
    for (int i = 0; i < kWarmUp; ++i) {
        layer.Frame(small);
        plain.Frame(small);
    }
    std::vector<double> ratios;
    for (int i = 0; i < kPairs; ++i) {
        double l = 0.0;
        double g = 0.0;
        for (int side = 0; side < 2; ++side) {
            const bool layerSide = (side == 0) == (i % 2 == 0);
            const double start = Seconds(clock);
            if (layerSide) {
                layer.Frame(small);
                l = Seconds(clock) - start;
            } else {
                plain.Frame(small);
                g = Seconds(clock) - start;
            }
        }
        if (g > 0.0) {
            ratios.push_back(l / g);
        }
    }
    if (ratios.empty()) {
        return 0.0;
    }
    std::nth_element(ratios.begin(), ratios.begin() + static_cast<std::ptrdiff_t>(ratios.size() / 2), ratios.end());
    return ratios[ratios.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (!platform::EnsureVideo()) {
        std::fprintf(stderr, "no video driver\n");
        return 1;
    }
    const Scene scene = MakeScene();
    LayerScene layer;
    PlainScene plain;
    if (!plain.Init(scene) || !layer.Init(scene)) {
        std::fprintf(stderr, "could not set up the scene: %s\n", SDL_GetError());
        return 1;
    }
    for (const bool small : {false, true}) {
        const char* name = small ? "2000 draws" : "meshes";
        benchmark::RegisterBenchmark((std::string("D3D8Layer/") + name).c_str(), [&layer, small](benchmark::State& state) {
            for (auto _ : state) {
                layer.Frame(small);
            }
        })->Unit(benchmark::kMillisecond)->UseRealTime();
        benchmark::RegisterBenchmark((std::string("PlainGL/") + name).c_str(), [&plain, small](benchmark::State& state) {
            for (auto _ : state) {
                plain.Frame(small);
            }
        })->Unit(benchmark::kMillisecond)->UseRealTime();
    }
    benchmark::RunSpecifiedBenchmarks();
    const double frame = PairedRatio(layer, plain, false, CLOCK_MONOTONIC);
    const double cpu = PairedRatio(layer, plain, true, CLOCK_THREAD_CPUTIME_ID);
    std::printf("meshes scene, layer / plain frame time, median of %d pairs: %.3f\n", kPairs, frame);
    std::printf("2000-draw scene, layer / plain main-thread CPU per frame, median of %d pairs: %.3f\n", kPairs, cpu);
    layer.Release();
    plain.Release();
    benchmark::Shutdown();
    std::printf("D3D8 layer / plain OpenGL (paired median): meshes %.3f, 2000 draws (CPU) %.3f; goal <= 1.10, <= 1.10\n",
                frame, cpu);
    return 0;
}
