// The translated programs go through the real GL_ARB_vertex_program compiler (Mesa under the headless
// driver), so a syntax or limit error shows here rather than as a blank screen.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/d3d8/vs_translate.h"
#include "platform/d3dx8/d3dx8.h"
#include "programs.h"

#include <SDL.h>
#include <SDL_opengl.h>

namespace {

class GlContext {
public:
    GlContext() {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            return;
        }
        video_ = true;
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
        window_ = SDL_CreateWindow("vp", 0, 0, 64, 64, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        if (window_ != nullptr) {
            context_ = SDL_GL_CreateContext(window_);
        }
    }
    ~GlContext() {
        if (context_ != nullptr) {
            SDL_GL_DeleteContext(context_);
        }
        if (window_ != nullptr) {
            SDL_DestroyWindow(window_);
        }
        if (video_) {
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
        }
    }
    bool Ok() const { return context_ != nullptr; }

private:
    bool video_ = false;
    SDL_Window* window_ = nullptr;
    SDL_GLContext context_ = nullptr;
};

std::string Translate(const std::string& text) {
    LPD3DXBUFFER code = nullptr;
    EXPECT_EQ(D3DXAssembleShader(text.data(), static_cast<UINT>(text.size()), 0, nullptr, &code, nullptr), S_OK);
    if (code == nullptr) {
        return "";
    }
    const platform::VsTranslation t = platform::TranslateVertexShader(
        static_cast<const DWORD*>(code->GetBufferPointer()), code->GetBufferSize() / sizeof(DWORD));
    code->Release();
    EXPECT_TRUE(t.ok) << t.error;
    return t.program;
}

TEST(TranslateShader, MesaCompilesEveryProgram) {
    GlContext gl;
    if (!gl.Ok()) {
        GTEST_SKIP() << "no GL context: " << SDL_GetError();
    }
    const char* ext = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    if (ext == nullptr || std::strstr(ext, "GL_ARB_vertex_program") == nullptr) {
        GTEST_SKIP() << "GL_ARB_vertex_program missing";
    }
    auto gen = reinterpret_cast<PFNGLGENPROGRAMSARBPROC>(SDL_GL_GetProcAddress("glGenProgramsARB"));
    auto bind = reinterpret_cast<PFNGLBINDPROGRAMARBPROC>(SDL_GL_GetProcAddress("glBindProgramARB"));
    auto load = reinterpret_cast<PFNGLPROGRAMSTRINGARBPROC>(SDL_GL_GetProcAddress("glProgramStringARB"));
    auto del = reinterpret_cast<PFNGLDELETEPROGRAMSARBPROC>(SDL_GL_GetProcAddress("glDeleteProgramsARB"));
    auto query = reinterpret_cast<PFNGLGETPROGRAMIVARBPROC>(SDL_GL_GetProcAddress("glGetProgramivARB"));
    ASSERT_TRUE(gen && bind && load && del && query);

    // The harness itself notices a broken program.
    {
        const std::string bad = "!!ARBvp1.0\nMOV result.position, nothing;\nEND\n";
        GLuint id = 0;
        gen(1, &id);
        bind(GL_VERTEX_PROGRAM_ARB, id);
        load(GL_VERTEX_PROGRAM_ARB, GL_PROGRAM_FORMAT_ASCII_ARB, static_cast<GLsizei>(bad.size()), bad.data());
        GLint errorPos = -1;
        glGetIntegerv(GL_PROGRAM_ERROR_POSITION_ARB, &errorPos);
        EXPECT_NE(errorPos, -1);
        while (glGetError() != GL_NO_ERROR) {
        }
        del(1, &id);
    }

    std::vector<qmtest::ShaderSource> sources = qmtest::EngineShaderPrograms();
    // The widest shapes the translator writes: relative addressing with defs, every output, all macros.
    sources.push_back({"wide", qmtest::JoinLines({
        "vs.1.1", "def c5, 1, 2, 3, 4", "def c90, 0.5, -1e-3, 2.5e7, 0", "mov a0.x, v0.x",
        "m4x4 oPos, v0, c[a0.x + 60]", "m4x3 r0.xyz, r0, c90", "m3x4 oT1, v1, c0", "m3x3 r1.xyz, v2, c[a0.x]",
        "m3x2 oT2.xy, v3, c93", "log r2.x, -v4.y", "exp r2.y, v4.z", "expp r3, v5.w", "logp r4, v6.x",
        "frc r5.xy, v7", "lit r6, v8", "dst r7, v9, v10", "rcp r8.w, v11.w", "rsq r9, v12.x",
        "slt r10, v13, -v14.wzyx", "sge r11, v15, c95", "mov oD1, r11", "mov oT7.w, r10",
        "mov oPts, r9.x", "mov oFog, r8.w"})});
    sources.push_back({"bare", "vs.1.0\nmov oPos.xw, v0\n"});
    for (const qmtest::ShaderSource& s : sources) {
        SCOPED_TRACE(s.name);
        const std::string p = Translate(s.text);
        GLuint id = 0;
        gen(1, &id);
        bind(GL_VERTEX_PROGRAM_ARB, id);
        while (glGetError() != GL_NO_ERROR) {
        }
        load(GL_VERTEX_PROGRAM_ARB, GL_PROGRAM_FORMAT_ASCII_ARB, static_cast<GLsizei>(p.size()), p.data());
        GLint errorPos = 0;
        glGetIntegerv(GL_PROGRAM_ERROR_POSITION_ARB, &errorPos);
        const char* msg = reinterpret_cast<const char*>(glGetString(GL_PROGRAM_ERROR_STRING_ARB));
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        EXPECT_EQ(errorPos, -1) << (msg ? msg : "") << "\n" << p.substr(std::max(errorPos, 0));
        GLint native = 0;
        query(GL_VERTEX_PROGRAM_ARB, GL_PROGRAM_UNDER_NATIVE_LIMITS_ARB, &native);
        EXPECT_EQ(native, 1);
        del(1, &id);
    }
}

}  // namespace
