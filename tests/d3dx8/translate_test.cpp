#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "arb_eval.h"
#include "platform/d3d8/vs_translate.h"
#include "programs.h"

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


}  // namespace
