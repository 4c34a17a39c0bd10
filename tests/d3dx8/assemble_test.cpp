#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/d3d8/vs_translate.h"
#include "programs.h"

namespace {

using namespace platform::vs;
using qmtest::Assemble;
using qmtest::Assembled;

platform::VsProgram Decode(const std::vector<DWORD>& tokens) {
    platform::VsProgram prog;
    std::string error;
    EXPECT_TRUE(platform::DecodeVertexShader(tokens.data(), tokens.size(), prog, error)) << error;
    return prog;
}

TEST(AssembleShader, EveryEngineProgram) {
    for (const qmtest::ShaderSource& s : qmtest::EngineShaderPrograms()) {
        SCOPED_TRACE(s.name);
        const Assembled a = Assemble(s.text);
        ASSERT_EQ(a.hr, S_OK) << a.errors;
        EXPECT_FALSE(a.errorBuffer);
        ASSERT_GE(a.tokens.size(), 2u);
        EXPECT_EQ(a.tokens.front(), 0xFFFE0100u);
        EXPECT_EQ(a.tokens.back(), kEndToken);
        // One instruction per non-version line.
        const size_t lines = static_cast<size_t>(std::count(s.text.begin(), s.text.end(), '\n'));
        EXPECT_EQ(Decode(a.tokens).code.size(), lines - 1);
    }
}

TEST(AssembleShader, MalformedTextNamesEveryBadLineAndItsProblem) {
    const std::string ok = "vs.1.0\nm4x4 oPos, v0, c0\n";
    const struct {
        std::string text;
        std::string error;
    } cases[] = {
        {ok + "foo r0, v0\n", "line 3: unknown instruction 'foo'\n"},
        {ok + "mov r0, q1\n", "line 3: unknown register 'q1'\n"},
        {ok + "mov r0, c0001\n", "line 3: unknown register 'c0001'\n"},
        {ok + "mov r12, v0\n", "line 3: register index out of range 'r12'\n"},
        {ok + "mov r0, c96\n", "line 3: register index out of range 'c96'\n"},
        {ok + "mov oD2, v0\n", "line 3: register index out of range 'oD2'\n"},
        {ok + "m4x4 r0, v0, c93\n", "line 3: register index out of range 'c93'\n"},
        {ok + "mov r0.yx, v0\n", "line 3: bad write mask '.yx'\n"},
        {ok + "mov r0., v0\n", "line 3: bad write mask '.'\n"},
        {ok + "mov r0, v0.xq\n", "line 3: bad swizzle '.xq'\n"},
        {ok + "add r0, v0\n", "line 3: 'add' takes 3 operands, found 2\n"},
        {ok + "mov r0,, v0\n", "line 3: 'mov' takes 2 operands, found 3\n"},
        {ok + "mov v0, r0\n", "line 3: cannot write to 'v0'\n"},
        {ok + "mov r0, oPos\n", "line 3: cannot read 'oPos'\n"},
        {ok + "mov oFog.xy, v0\n", "line 3: 'oFog' takes only .x\n"},
        {ok + "m4x3 r0.xyzw, v0, c0\n", "line 3: 'm4x3' writes only .xyz\n"},
        {ok + "m4x4 r0, v0, -c0\n", "line 3: the matrix operand takes no swizzle or negation\n"},
        {ok + "mov oD0, c[a0.x + 1]\n", "line 3: relative addressing needs vs.1.1\n"},
        {ok + "mov a0.x, v0.x\n", "line 3: a0 needs vs.1.1\n"},
        {"vs.1.1\nm4x4 oPos, v0, c0\nmov a0.x, v0\nadd a0.x, v0, v0\n", "line 4: a0 is written only by 'mov a0.x'\n"},
        {"vs.1.1\nm4x4 oPos, v0, c[a0.x + 61]\n", "line 2: relative offset above 63 'c[a0.x + 61]'\n"},
        {ok + "def c0, 1, 2, x, 4\n", "line 3: bad number 'x'\n"},
        {ok + "def c0, 1, 2, 1e99, 4\n", "line 3: bad number '1e99'\n"},
        {ok + "def r0, 1, 2, 3, 4\n", "line 3: def needs a constant register, found 'r0'\n"},
        {ok + "vs.1.1\n", "line 3: second version line\n"},
        {ok + "mov r0, v0 \x01\n", "line 3: unexpected character\n"},
        {"; comment\n\nmov oPos, v0\n", "line 3: missing version line (vs.1.0 or vs.1.1)\n"},
        {"vs.2.0\nmov oPos, v0\n", "line 1: missing version line (vs.1.0 or vs.1.1)\n"},
        {"", "line 1: missing version line (vs.1.0 or vs.1.1)\n"},
        {"vs.1.0\nmov oD0, v0\n; trailing\n", "line 2: oPos is never written\n"},
        {ok + "bad\nmov r99, v0\n", "line 3: unknown instruction 'bad'\nline 4: register index out of range 'r99'\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const Assembled a = Assemble(c.text);
        EXPECT_TRUE(FAILED(a.hr));
        EXPECT_TRUE(a.tokens.empty());
        EXPECT_EQ(a.errors, c.error);
    }

    std::string text = ok;  // 4 slots
    for (int i = 0; i < 124; ++i) {
        text += "add r0, r0, v0\n";
    }
    EXPECT_EQ(Assemble(text).hr, S_OK);
    EXPECT_EQ(Assemble(text + "nop\n").errors, "line 127: too many instructions (129 slots, at most 128)\n");
    EXPECT_EQ(Assemble(ok + std::string(11, '\0')).errors, "line 3: unexpected character\n");

    LPD3DXBUFFER errors = nullptr;
    EXPECT_EQ(D3DXAssembleShader(nullptr, 5, 0, nullptr, nullptr, &errors), E_INVALIDARG);
    EXPECT_EQ(D3DXAssembleShader(nullptr, 0, 0, nullptr, nullptr, &errors), E_FAIL);
    ASSERT_NE(errors, nullptr);
    errors->Release();
    // Without buffers to fill it still assembles and reports.
    EXPECT_EQ(D3DXAssembleShader(ok.data(), static_cast<UINT>(ok.size()), 0, nullptr, nullptr, nullptr), S_OK);
}

// Whatever the assembler accepts, the device's translator accepts too; nothing crashes on junk.
TEST(AssembleShader, RandomTextNeverCrashes) {
    std::mt19937 rng(1234);
    const std::vector<qmtest::ShaderSource> programs = qmtest::EngineShaderPrograms();
    const std::string alphabet = "vs.10moadpxyzwrc[]+, -;/\nDTPFlg01234567899";
    int accepted = 0;
    for (int i = 0; i < 3000; ++i) {
        std::string text;
        if (i % 3 == 0) {
            text.resize(rng() % 200);
            for (char& c : text) {
                c = static_cast<char>(rng());
            }
        } else {
            text = programs[rng() % programs.size()].text;
            const int edits = 1 + static_cast<int>(rng() % 2);
            for (int e = 0; e < edits && !text.empty(); ++e) {
                const size_t at = rng() % text.size();
                switch (rng() % 3) {
                case 0: text[at] = alphabet[rng() % alphabet.size()]; break;
                case 1: text.erase(at, 1 + rng() % 8); break;
                default: text.insert(at, 1, alphabet[rng() % alphabet.size()]); break;
                }
            }
        }
        const Assembled a = Assemble(text);
        if (SUCCEEDED(a.hr)) {
            ++accepted;
            const platform::VsTranslation t = platform::TranslateVertexShader(a.tokens.data(), a.tokens.size());
            EXPECT_TRUE(t.ok) << text << "\n" << t.error;
        } else {
            EXPECT_EQ(a.errors.rfind("line ", 0), 0u) << text;
        }
    }
    EXPECT_GT(accepted, 50);
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

// Random and mutated streams: no crash, no overread (ASan).
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
            EXPECT_FALSE(r.program.empty());
        } else {
            EXPECT_FALSE(r.error.empty());
        }
    }
    EXPECT_GT(accepted, 1000);
}

}  // namespace
