#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "arb_eval.h"
#include "platform/d3d8/vs_translate.h"
#include "programs.h"

#include <SDL.h>
#include <SDL_opengl.h>

namespace {

using namespace platform::vs;
using qmtest::ArbVertex;
using qmtest::Vec4;

std::string Translate(const std::string& text) {
    const qmtest::Assembled a = qmtest::Assemble(text);
    EXPECT_EQ(a.hr, S_OK) << a.errors;
    const platform::VsTranslation t = platform::TranslateVertexShader(a.tokens.data(), a.tokens.size());
    EXPECT_TRUE(t.ok) << t.error;
    EXPECT_TRUE(t.error.empty());
    return t.program;
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string s;
    for (const std::string& l : lines) {
        s += l + "\n";
    }
    return s;
}

void RunOrFail(const std::string& program, ArbVertex& v) {
    std::string error;
    ASSERT_TRUE(qmtest::RunArbProgram(program, v, error)) << error << "\n" << program;
}

void ExpectVec4(const Vec4& got, const Vec4& want, float tol = 1e-5f) {
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(got[i], want[i], tol) << "component " << i;
    }
}

// Constant registers hold the transposed matrix: register i is column i.
void SetMatrix(ArbVertex& v, int first, const D3DXMATRIX& m) {
    for (int c = 0; c < 4; ++c) {
        v.env[first + c] = {m(0, c), m(1, c), m(2, c), m(3, c)};
    }
}

// Every mesh program against the blend rules it implements, and the sky's world-to-texture mapping.
TEST(TranslateShader, MeshProgramsBlendKeyFramesAndSkyMapsTheWorld) {
    const Vec4 posA = {1, 2, 3, 1}, posB = {5, 6, 7, 1};
    const Vec4 colA = {0.2f, 0.4f, 0.6f, 0.8f}, colB = {1.0f, 0.0f, 0.2f, 0.4f};
    const Vec4 texA = {0.25f, 0.5f, 9, 9}, texB = {0.75f, 1.0f, 9, 9};
    const Vec4 emissive = {0.5f, 0.25f, 1.0f, 0.5f};
    const float f = 0.25f;
    auto mix = [&](const Vec4& a, const Vec4& b) {
        return Vec4{a[0] * (1 - f) + b[0] * f, a[1] * (1 - f) + b[1] * f, a[2] * (1 - f) + b[2] * f,
                    a[3] * (1 - f) + b[3] * f};
    };
    auto times = [](const Vec4& a, const Vec4& b) { return Vec4{a[0] * b[0], a[1] * b[1], a[2] * b[2], a[3] * b[3]}; };
    D3DXMATRIX id;
    D3DXMatrixIdentity(&id);
    for (const qmtest::ShaderSource& s : qmtest::EngineShaderPrograms()) {
        if (s.sky) {
            continue;
        }
        SCOPED_TRACE(s.name);
        const bool morph = s.mode >= 0;
        ArbVertex v;
        SetMatrix(v, 0, id);
        SetMatrix(v, 4, id);
        v.env[8] = {1.0f, 0.1f, 0, 0};
        v.env[9] = {1 - f, f, 0, 0};
        v.env[10] = emissive;
        const Vec4 attribs[2][6] = {{posA, colA, texA}, {posA, posB, colA, colB, texA, texB}};
        std::copy(attribs[morph], attribs[morph] + 6, v.attrib);
        RunOrFail(Translate(s.text), v);
        const Vec4 pos = morph ? mix(posA, posB) : posA;  // (2, 3, 4, 1) blended
        ExpectVec4(v.position, {pos[0], pos[1], 2 * pos[2] - pos[3], pos[3]});
        EXPECT_NEAR(v.fogcoord[0], 1.0f - 0.1f * pos[2], 1e-6f);
        const Vec4 vertexColour = morph && (s.mode & 1) ? mix(colA, colB) : colA;
        ExpectVec4(v.color, s.colour == 0 ? vertexColour : s.colour == 1 ? emissive : times(vertexColour, emissive));
        const Vec4 tex = morph && (s.mode & 2) ? mix(texA, texB) : texA;
        ExpectVec4(v.texcoord[0], {tex[0], tex[1], 0.0f, 1.0f});
    }

    D3DXMATRIX world, scale;
    D3DXMatrixRotationY(&world, 0.5f);
    D3DXMatrixScaling(&scale, 3.0f, 1.0f, 2.0f);
    D3DXMatrixMultiply(&world, &scale, &world);
    world._41 = 4.0f;
    world._43 = -6.0f;
    ArbVertex v;
    SetMatrix(v, 10, world);  // c10 .. c13
    v.env[9] = {0.01f, 0.02f, 0.3f, 0.6f};
    v.attrib[0] = {10.0f, 5.0f, -20.0f, 1.0f};
    RunOrFail(Translate(qmtest::EngineShaderPrograms().back().text), v);
    const D3DXVECTOR3 pos(10.0f, 5.0f, -20.0f);
    D3DXVECTOR4 w;
    D3DXVec3Transform(&w, &pos, &world);
    ExpectVec4(v.texcoord[0], {w.x * 0.01f + 0.3f, w.z * 0.02f + 0.6f, 0.0f, 1.0f});
}

// The rest of the instruction set, each result worked out by hand.
TEST(TranslateShader, InstructionSemantics) {
    const std::string text = JoinLines({
        "vs.1.1",
        "def c20, 2, 0, 0, 0",
        "def c21, 0, 3, 0, 0",
        "def c22, 0, 0, 4, 0",
        "def c23, 0.5, 0.25, 0, 2",
        "def c24, 0, 3, 5, 0",
        "def c25, 0, 7, 0, 9",
        "def c26, 3.7, 0, 0, 0",
        "mov oPos, v0",
        "mov r1, v0",
        "m3x3 r1.xyz, r1, c20",       // reads r1 while writing it: (2, 6, 12, 4)
        "mov oT0, r1",
        "rcp r2.x, v1.w",             // 1 / 0.25
        "rsq r2.y, v1.z",             // 1 / sqrt 4
        "exp r2.z, v1.y",             // 2^0.5
        "log r2.w, v1.x",             // log2 |-2|
        "mov oT1, r2",
        "expp r3, v1.z",              // (2^4, 0, 2^4, 1)
        "mov oT2, r3",
        "logp r4, v1.z",              // (2, 1, 2, 1)
        "mov oT3, r4",
        "frc r5.xy, v1.yw",           // (0.5, 0.25)
        "min r5.z, v0.x, v1.x",       // -2
        "max r5.w, v0.y, v1.y",       // 2
        "mov oT4, r5",
        "slt oT5, v0, v1",            // (0, 0, 1, 0)
        "sge r6, v0, v1",             // (1, 1, 0, 1)
        "lit r9, c23",                // (1, 0.5, 0.25^2, 1)
        "dst r10, c24, c25",          // (1, 21, 5, 9)
        "add r6, r6, r9",
        "mov oT6, r6",
        "mov oT7, r10",
        "mov a0.x, c26.x",            // floor 3.7 = 3
        "mov oD1, c[a0.x + 20]",      // c23
        "sub r11, v0.wzyx, -v1",      // (4, 3, 2, 1) + v1
        "mad r11.xw, r11, c21.y, -v0.z",
        "mov oD0, r11",
        "dp3 oPts, v0, v1",           // -2 + 1 + 12
        "dp4 r7.x, v0, v1",           // 11 + 1
        "mul oFog, r7.x, c24.y",      // 36, clamped to 1
    });
    ArbVertex v;
    v.attrib[0] = {1, 2, 3, 4};
    v.attrib[1] = {-2, 0.5f, 4, 0.25f};
    RunOrFail(Translate(text), v);
    ExpectVec4(v.position, {1, 2, 2 * 3 - 4, 4});
    ExpectVec4(v.texcoord[0], {2, 6, 12, 4});
    ExpectVec4(v.texcoord[1], {4, 0.5f, std::sqrt(2.0f), 1});
    ExpectVec4(v.texcoord[2], {16, 0, 16, 1});
    ExpectVec4(v.texcoord[3], {2, 1, 2, 1});
    ExpectVec4(v.texcoord[4], {0.5f, 0.25f, -2, 2});
    ExpectVec4(v.texcoord[5], {0, 0, 1, 0});
    ExpectVec4(v.texcoord[6], {2, 1.5f, 0.0625f, 2});
    ExpectVec4(v.texcoord[7], {1, 21, 5, 9});
    ExpectVec4(v.secondary, {0.5f, 0.25f, 0, 2});
    ExpectVec4(v.color, {2 * 3 - 3, 3.5f, 6, 1.25f * 3 - 3});
    EXPECT_EQ(v.pointsize[0], 11.0f);
    EXPECT_EQ(v.fogcoord[0], 1.0f);
}

TEST(TranslateShader, DefaultsForOutputsTheShaderLeaves) {
    ArbVertex v;
    v.attrib[0] = {1, 2, 3, 4};
    RunOrFail(Translate("vs.1.0\nmov oPos.xy, v0\nmov oD0.w, v0.x\nmov oT3.y, v0.z\n"), v);
    ExpectVec4(v.position, {1, 2, 2 * 0 - 1, 1});  // unwritten position components are (z 0, w 1)
    ExpectVec4(v.color, {1, 1, 1, 1});
    ExpectVec4(v.secondary, {0, 0, 0, 0});
    ExpectVec4(v.texcoord[3], {0, 3, 0, 1});
    EXPECT_EQ(v.fogcoord[0], 1.0f);  // no fog
    EXPECT_TRUE(std::isnan(v.texcoord[0][0]));  // sets never written stay untouched
}

// Streams that did not come from our assembler.
TEST(TranslateShader, MalformedTokenStreams) {
    const std::vector<DWORD> good = qmtest::Assemble("vs.1.1\nm4x4 oPos, v0, c0\nmov oD0, c[a0.x + 3]\n").tokens;
    ASSERT_FALSE(good.empty());
    const DWORD ver = good[0];
    const DWORD mov = InstructionToken(OpCode::Mov);
    const DWORD oPos = EncodeDest({RegType::RastOut, kOutPosition, kMaskAll});
    const DWORD v0 = EncodeSrc({RegType::Input, 0});
    auto with = [&](std::vector<DWORD> body) {
        body.insert(body.begin(), ver);
        body.push_back(kEndToken);
        return body;
    };
    const struct {
        std::vector<DWORD> tokens;
        std::string error;
    } cases[] = {
        {{}, "empty token stream"},
        {{mov, oPos, v0, kEndToken}, "missing version token"},
        {{0xFFFE0200u, kEndToken}, "unsupported version 2.0"},
        {{ver, mov, oPos, v0}, "missing end token"},
        {{ver, mov, oPos}, "token 1: instruction runs past the end of the stream"},
        {with({0x0000001Bu}), "token 1: not an instruction 0x0000001B"},
        {with({0x01000001u, oPos}), "token 1: wrong parameter count"},
        {with({mov, oPos | 0x00100000u, v0}), "token 2: malformed destination 0xC01F0000"},
        {with({mov, oPos, v0 | 0x02000000u}), "token 3: malformed source 0x92E40000"},
        {with({mov, EncodeDest({RegType::Temp, 12, kMaskAll}), v0}), "token 2: destination register out of range"},
        {with({mov, EncodeDest({RegType::RastOut, 3, kMaskX}), v0}), "token 2: destination register out of range"},
        {with({mov, EncodeDest({RegType::RastOut, kOutFog, kMaskAll}), v0}), "token 2: oFog and oPts take only .x"},
        {with({mov, oPos, EncodeSrc({RegType::Const, 96})}), "token 3: source register out of range"},
        {with({mov, oPos, EncodeSrc({RegType::TexCrdOut, 0})}), "token 3: register type cannot be read"},
        {with({mov, oPos, EncodeSrc({RegType::Temp, 0, kSwizzleIdentity, false, true})}),
         "token 3: relative addressing needs a constant register and vs.1.1"},
        {with({mov, oPos, EncodeSrc({RegType::Const, 64, kSwizzleIdentity, false, true})}),
         "token 3: relative offset above 63"},
        {with({InstructionToken(OpCode::M3x2), oPos, v0, EncodeSrc({RegType::Const, 0})}),
         "token 2: write mask reaches past the matrix rows"},
        {with({InstructionToken(OpCode::Add), EncodeDest({RegType::Address, 0, kMaskX}), v0, v0}),
         "token 2: a0 is written only by mov a0.x (vs.1.1)"},
        {with({InstructionToken(OpCode::Def), EncodeDest({RegType::Const, 5, kMaskAll}), 0, 0x7F800000u, 0, 0}),
         "token 4: def value is not a finite number"},
        {with({mov, EncodeDest({RegType::AttrOut, 0, kMaskAll}), v0}), "oPos is never written"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        const platform::VsTranslation t = platform::TranslateVertexShader(c.tokens.data(), c.tokens.size());
        EXPECT_FALSE(t.ok);
        EXPECT_TRUE(t.program.empty());
        EXPECT_EQ(t.error, c.error);
    }
    // vs.1.0 does not know a0.
    std::vector<DWORD> old = good;
    old[0] = 0xFFFE0100u;
    EXPECT_EQ(platform::TranslateVertexShader(old.data(), old.size()).error,
              "token 7: relative addressing needs a constant register and vs.1.1");
    EXPECT_FALSE(platform::TranslateVertexShader(nullptr, 4).ok);
    EXPECT_TRUE(platform::TranslateVertexShader(good.data(), good.size()).ok);
}

// Random and mutated streams: no crash, no overread (ASan), and anything accepted is valid ARB text.
TEST(TranslateShader, RandomTokenStreamsNeverCrash) {
    std::mt19937 rng(99);
    std::vector<std::vector<DWORD>> seeds;
    for (const qmtest::ShaderSource& s : qmtest::EngineShaderPrograms()) {
        seeds.push_back(qmtest::Assemble(s.text).tokens);
    }
    int accepted = 0;
    for (int i = 0; i < 20000; ++i) {
        std::vector<DWORD> t;
        if (i % 4 == 0) {
            t.resize(rng() % 24);
            for (DWORD& d : t) {
                d = rng();
            }
            if (!t.empty()) {
                t[0] = 0xFFFE0100u | (rng() & 1);
            }
        } else {
            t = seeds[rng() % seeds.size()];
            const size_t at = rng() % t.size();
            switch (rng() % 4) {
            case 0: t[at] = rng(); break;
            case 1: t[at] ^= 1u << (rng() % 32); break;
            case 2: t.resize(at); break;
            default: t.insert(t.begin() + static_cast<std::ptrdiff_t>(at), rng()); break;
            }
        }
        // An exact-size heap copy lets ASan catch any read past the end.
        std::unique_ptr<DWORD[]> exact(new DWORD[t.size() + (t.empty() ? 1 : 0)]);
        std::copy(t.begin(), t.end(), exact.get());
        const platform::VsTranslation r = platform::TranslateVertexShader(exact.get(), t.size());
        if (r.ok) {
            ++accepted;
            ArbVertex v;
            std::string error;
            EXPECT_TRUE(qmtest::RunArbProgram(r.program, v, error)) << error << "\n" << r.program;
        } else {
            EXPECT_FALSE(r.error.empty());
        }
    }
    EXPECT_GT(accepted, 1000);
}


// The translations go through Mesa's GL_ARB_vertex_program compiler, so a syntax or limit error shows
// here rather than as a blank screen.
struct GlContext {
    GlContext() {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) {
            SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
            SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
            window = SDL_CreateWindow("vp", 0, 0, 64, 64, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
            context = window != nullptr ? SDL_GL_CreateContext(window) : nullptr;
        }
    }
    ~GlContext() {
        if (context != nullptr) {
            SDL_GL_DeleteContext(context);
        }
        if (window != nullptr) {
            SDL_DestroyWindow(window);
        }
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
};

TEST(TranslateShader, MesaCompilesEveryProgram) {
    GlContext gl;
    const char* ext = gl.context != nullptr ? reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)) : nullptr;
    if (ext == nullptr || std::strstr(ext, "GL_ARB_vertex_program") == nullptr) {
        GTEST_SKIP() << "no GL_ARB_vertex_program: " << SDL_GetError();
    }
    auto gen = reinterpret_cast<PFNGLGENPROGRAMSARBPROC>(SDL_GL_GetProcAddress("glGenProgramsARB"));
    auto bind = reinterpret_cast<PFNGLBINDPROGRAMARBPROC>(SDL_GL_GetProcAddress("glBindProgramARB"));
    auto load = reinterpret_cast<PFNGLPROGRAMSTRINGARBPROC>(SDL_GL_GetProcAddress("glProgramStringARB"));
    auto del = reinterpret_cast<PFNGLDELETEPROGRAMSARBPROC>(SDL_GL_GetProcAddress("glDeleteProgramsARB"));
    auto query = reinterpret_cast<PFNGLGETPROGRAMIVARBPROC>(SDL_GL_GetProcAddress("glGetProgramivARB"));
    ASSERT_TRUE(gen && bind && load && del && query);
    // Mesa's error for the program ("" when none), and whether it fits the native limits.
    auto compile = [&](const std::string& p, GLint& native) {
        GLuint id = 0;
        gen(1, &id);
        bind(GL_VERTEX_PROGRAM_ARB, id);
        while (glGetError() != GL_NO_ERROR) {
        }
        load(GL_VERTEX_PROGRAM_ARB, GL_PROGRAM_FORMAT_ASCII_ARB, static_cast<GLsizei>(p.size()), p.data());
        GLint errorPos = 0;
        glGetIntegerv(GL_PROGRAM_ERROR_POSITION_ARB, &errorPos);
        const char* msg = reinterpret_cast<const char*>(glGetString(GL_PROGRAM_ERROR_STRING_ARB));
        query(GL_VERTEX_PROGRAM_ARB, GL_PROGRAM_UNDER_NATIVE_LIMITS_ARB, &native);
        const bool glError = glGetError() != GL_NO_ERROR;
        del(1, &id);
        return errorPos == -1 && !glError ? std::string()
                                          : std::string(msg ? msg : "error") + "\n" + p.substr(std::max(errorPos, 0));
    };
    GLint native = 0;
    EXPECT_NE(compile("!!ARBvp1.0\nMOV result.position, nothing;\nEND\n", native), "");  // the harness notices

    std::vector<qmtest::ShaderSource> sources = qmtest::EngineShaderPrograms();
    // The widest shapes the translator writes: relative addressing with defs, every output, all macros.
    sources.push_back({"wide", "vs.1.1\ndef c5, 1, 2, 3, 4\ndef c90, 0.5, -1e-3, 2.5e7, 0\nmov a0.x, v0.x\n"
                               "m4x4 oPos, v0, c[a0.x + 60]\nm4x3 r0.xyz, r0, c90\nm3x4 oT1, v1, c0\n"
                               "m3x3 r1.xyz, v2, c[a0.x]\nm3x2 oT2.xy, v3, c93\nlog r2.x, -v4.y\nexp r2.y, v4.z\n"
                               "expp r3, v5.w\nlogp r4, v6.x\nfrc r5.xy, v7\nlit r6, v8\ndst r7, v9, v10\n"
                               "rcp r8.w, v11.w\nrsq r9, v12.x\nslt r10, v13, -v14.wzyx\nsge r11, v15, c95\n"
                               "mov oD1, r11\nmov oT7.w, r10\nmov oPts, r9.x\nmov oFog, r8.w\n"});
    sources.push_back({"bare", "vs.1.0\nmov oPos.xw, v0\n"});
    for (const qmtest::ShaderSource& s : sources) {
        SCOPED_TRACE(s.name);
        EXPECT_EQ(compile(Translate(s.text), native), "");
        EXPECT_EQ(native, 1);
    }
}

}  // namespace
