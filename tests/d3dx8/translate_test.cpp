#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "arb_eval.h"
#include "platform/d3d8/vs_translate.h"
#include "platform/d3dx8/d3dx8.h"
#include "programs.h"

namespace {

using namespace platform::vs;
using qmtest::ArbVertex;
using qmtest::Vec4;

std::vector<DWORD> AssembleOrDie(const std::string& text) {
    LPD3DXBUFFER code = nullptr, errors = nullptr;
    const HRESULT hr = D3DXAssembleShader(text.data(), static_cast<UINT>(text.size()), 0, nullptr, &code, &errors);
    EXPECT_EQ(hr, S_OK) << (errors ? static_cast<const char*>(errors->GetBufferPointer()) : "");
    std::vector<DWORD> tokens;
    if (code != nullptr) {
        tokens.resize(code->GetBufferSize() / 4);
        std::memcpy(tokens.data(), code->GetBufferPointer(), code->GetBufferSize());
        code->Release();
    }
    if (errors != nullptr) {
        errors->Release();
    }
    return tokens;
}

std::string Translate(const std::string& text) {
    const std::vector<DWORD> tokens = AssembleOrDie(text);
    const platform::VsTranslation t = platform::TranslateVertexShader(tokens.data(), tokens.size());
    EXPECT_TRUE(t.ok) << t.error;
    EXPECT_TRUE(t.error.empty());
    return t.program;
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

TEST(TranslateShader, EveryEngineProgramIsWellFormed) {
    for (const qmtest::ShaderSource& s : qmtest::EngineShaderPrograms()) {
        SCOPED_TRACE(s.name);
        const std::string p = Translate(s.text);
        EXPECT_EQ(p.rfind("!!ARBvp1.0\n", 0), 0u);
        EXPECT_EQ(p.substr(p.size() - 4), "END\n");
        // The depth change happens once, at the end; the texture set is completed with q = 1.
        EXPECT_NE(p.find("MAD result.position.z, qm_pos.z, qm_k.z, -qm_pos.w;\n"), std::string::npos);
        EXPECT_NE(p.find("MOV result.texcoord[0].zw, qm_k.xxxy;\n"), std::string::npos);
        EXPECT_NE(p.find("MIN result.fogcoord.x, qm_fog.x, qm_k.y;\n"), std::string::npos);
        EXPECT_EQ(p.find("MOV result.color, qm_k.y;"), std::string::npos);  // every program writes oD0 whole
        EXPECT_EQ(p.find("c["), std::string::npos);              // no relative addressing, no array
        // Each instruction line ends its statement.
        size_t lines = 0;
        for (size_t at = 0; (at = p.find('\n', at)) != std::string::npos; ++at) {
            ++lines;
            EXPECT_TRUE(p[at - 1] == ';' || p.compare(0, at, "!!ARBvp1.0") == 0 || p.compare(at - 3, 3, "END") == 0);
        }
        EXPECT_GT(lines, 8u);
    }
}

// The single-stream vertex colour program with a real world-view-projection.
TEST(TranslateShader, FixedProgramTransformsColoursAndFogs) {
    const std::string p = Translate(qmtest::EngineShaderPrograms()[0].text);
    D3DXMATRIX rot, move, proj, wv, wvp;
    D3DXMatrixRotationY(&rot, 0.3f);
    D3DXMatrixTranslation(&move, 1.0f, 2.0f, 10.0f);
    D3DXMatrixPerspectiveFovLH(&proj, 0.785f, 4.0f / 3.0f, 0.1f, 40.0f);
    D3DXMatrixMultiply(&wv, &rot, &move);
    D3DXMatrixMultiply(&wvp, &wv, &proj);
    const float start = 10.0f, end = 20.0f;
    // Depths 12.x (inside the fog range), then far beyond the end and in front of the start.
    for (const float z : {2.0f, 30.0f, -8.0f}) {
        ArbVertex v;
        SetMatrix(v, 0, wvp);
        SetMatrix(v, 4, wv);
        v.env[8] = {end / (end - start), 1.0f / (end - start), 0, 0};
        v.attrib[0] = {0.5f, -0.25f, z, 1.0f};
        v.attrib[1] = {0.1f, 0.2f, 0.3f, 0.4f};
        v.attrib[2] = {0.75f, 0.125f, 0.0f, 1.0f};
        RunOrFail(p, v);
        const D3DXVECTOR3 pos(0.5f, -0.25f, z);
        D3DXVECTOR4 clip, view;
        D3DXVec3Transform(&clip, &pos, &wvp);
        D3DXVec3Transform(&view, &pos, &wv);
        ExpectVec4(v.position, {clip.x, clip.y, 2 * clip.z - clip.w, clip.w});
        ExpectVec4(v.color, {0.1f, 0.2f, 0.3f, 0.4f});
        ExpectVec4(v.secondary, {0, 0, 0, 0});
        ExpectVec4(v.texcoord[0], {0.75f, 0.125f, 0.0f, 1.0f});
        const float fog = std::min(1.0f, std::max(0.0f, (end - view.z) / (end - start)));
        EXPECT_NEAR(v.fogcoord[0], fog, 1e-5f);
        if (z == 2.0f) {
            EXPECT_GT(fog, 0.0f);
            EXPECT_LT(fog, 1.0f);
        }
    }
}

// All twelve morph programs and the three fixed ones, against the blend rules they implement.
TEST(TranslateShader, MorphProgramsBlendKeyFrames) {
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
    const std::vector<qmtest::ShaderSource> all = qmtest::EngineShaderPrograms();
    for (size_t i = 3; i < 15; ++i) {
        SCOPED_TRACE(all[i].name);
        const int colour = static_cast<int>((i - 3) / 4);
        const int mode = std::stoi(all[i].name.substr(all[i].name.size() - 1));
        ArbVertex v;
        D3DXMATRIX id;
        D3DXMatrixIdentity(&id);
        SetMatrix(v, 0, id);
        SetMatrix(v, 4, id);
        v.env[8] = {1.0f, 0.1f, 0, 0};
        v.env[9] = {1 - f, f, 0, 0};
        v.env[10] = emissive;
        v.attrib[0] = posA;
        v.attrib[1] = posB;
        v.attrib[2] = colA;
        v.attrib[3] = colB;
        v.attrib[4] = texA;
        v.attrib[5] = texB;
        RunOrFail(Translate(all[i].text), v);
        const Vec4 pos = mix(posA, posB);  // (2, 3, 4, 1)
        ExpectVec4(v.position, {pos[0], pos[1], 2 * pos[2] - pos[3], pos[3]});
        EXPECT_NEAR(v.fogcoord[0], 1.0f - 0.1f * pos[2], 1e-6f);
        const Vec4 vertexColour = (mode & 1) ? mix(colA, colB) : colA;
        const Vec4 want = colour == 0 ? vertexColour : colour == 1 ? emissive : times(vertexColour, emissive);
        ExpectVec4(v.color, want);
        const Vec4 tex = (mode & 2) ? mix(texA, texB) : texA;
        ExpectVec4(v.texcoord[0], {tex[0], tex[1], 0.0f, 1.0f});
    }
    // The fixed constant and modulate programs.
    for (size_t i = 1; i < 3; ++i) {
        ArbVertex v;
        v.attrib[0] = posA;
        v.attrib[1] = colA;
        v.attrib[2] = texA;
        v.env[10] = emissive;
        RunOrFail(Translate(all[i].text), v);
        ExpectVec4(v.color, i == 1 ? emissive : times(colA, emissive));
    }
}

TEST(TranslateShader, SkyProgramMapsWorldPositionToTexture) {
    const std::string p = Translate(qmtest::EngineShaderPrograms().back().text);
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
    v.attrib[1] = {1, 1, 1, 1};
    RunOrFail(p, v);
    const D3DXVECTOR3 pos(10.0f, 5.0f, -20.0f);
    D3DXVECTOR4 w;
    D3DXVec3Transform(&w, &pos, &world);
    ExpectVec4(v.texcoord[0], {w.x * 0.01f + 0.3f, w.z * 0.02f + 0.6f, 0.0f, 1.0f});
}

// The rest of the instruction set, each result worked out by hand.
TEST(TranslateShader, InstructionSemantics) {
    const std::string text = qmtest::JoinLines({
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
    const std::vector<DWORD> good = AssembleOrDie("vs.1.1\nm4x4 oPos, v0, c0\nmov oD0, c[a0.x + 3]\n");
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
        {with({mov, oPos, v0 | 0x70000000u}), "token 3: malformed source 0xF0E40000"},
        {with({mov, oPos & ~0xF0000u, v0}), "token 2: empty write mask"},
        {with({mov, EncodeDest({RegType::Temp, 12, kMaskAll}), v0}), "token 2: destination register out of range"},
        {with({mov, EncodeDest({RegType::Input, 0, kMaskAll}), v0}), "token 2: destination register out of range"},
        {with({mov, EncodeDest({RegType::TexCrdOut, 8, kMaskAll}), v0}), "token 2: destination register out of range"},
        {with({mov, EncodeDest({RegType::RastOut, 3, kMaskX}), v0}), "token 2: destination register out of range"},
        {with({mov, EncodeDest({RegType::RastOut, kOutFog, kMaskAll}), v0}), "token 2: oFog and oPts take only .x"},
        {with({mov, oPos, EncodeSrc({RegType::Const, 96})}), "token 3: source register out of range"},
        {with({mov, oPos, EncodeSrc({RegType::Input, 16})}), "token 3: source register out of range"},
        {with({mov, oPos, EncodeSrc({RegType::TexCrdOut, 0})}), "token 3: register type cannot be read"},
        {with({mov, oPos, EncodeSrc({RegType::Temp, 0, kSwizzleIdentity, false, true})}),
         "token 3: relative addressing needs a constant register and vs.1.1"},
        {with({mov, oPos, EncodeSrc({RegType::Const, 64, kSwizzleIdentity, false, true})}),
         "token 3: relative offset above 63"},
        {with({InstructionToken(OpCode::M4x4), oPos, v0, EncodeSrc({RegType::Const, 93})}),
         "token 4: source register out of range"},
        {with({InstructionToken(OpCode::M3x2), oPos, v0, EncodeSrc({RegType::Const, 0})}),
         "token 2: write mask reaches past the matrix rows"},
        {with({InstructionToken(OpCode::Add), EncodeDest({RegType::Address, 0, kMaskX}), v0, v0}),
         "token 2: a0 is written only by mov a0.x (vs.1.1)"},
        {with({InstructionToken(OpCode::Def), EncodeDest({RegType::Const, 5, kMaskAll}), 0, 0x7F800000u, 0, 0}),
         "token 4: def value is not a finite number"},
        {with({InstructionToken(OpCode::Def), EncodeDest({RegType::Temp, 5, kMaskAll}), 0, 0, 0, 0}),
         "token 2: def needs a constant register c0-c95"},
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
        seeds.push_back(AssembleOrDie(s.text));
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

}  // namespace
