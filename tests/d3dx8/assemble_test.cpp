#include <gtest/gtest.h>

#include <algorithm>
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

TEST(AssembleShader, SyntaxVariants) {
    // Short swizzles repeat their last component; comments, CRLF, case and spacing are free.
    const Assembled a = Assemble(
        "; header comment with 日本語\r\n"
        "VS.1.1 // version\r\n"
        "\r\n"
        "  def c20 , 1.5, -2, 0.25e1, 1e-3 ; constants\n"
        "M4X4 OPOS, V0, C0\n"
        "mov a0.x, v1.x\n"
        "mov oD0, c[ a0.x + 2 ]\n"
        "mov oD1.rgb, -c[a0.x].wz\n"
        "mov oT1.yw, v4.xy\n"
        "rcp r1.w, v2.z\n"
        "nop\n"
        "mov oPts, r1.w\n");
    ASSERT_EQ(a.hr, S_OK) << a.errors;
    const platform::VsProgram prog = Decode(a.tokens);
    EXPECT_EQ(prog.minor, 1u);
    ASSERT_EQ(prog.code.size(), 9u);
    EXPECT_EQ(prog.code[0].op, OpCode::Def);
    EXPECT_EQ(prog.code[0].dst.index, 20u);
    EXPECT_EQ(prog.code[0].value, (std::array<float, 4>{1.5f, -2.0f, 2.5f, 0.001f}));
    EXPECT_EQ(prog.code[2].dst.type, RegType::Address);
    EXPECT_TRUE(prog.code[3].src[0].relative);
    EXPECT_EQ(prog.code[3].src[0].index, 2u);
    EXPECT_EQ(prog.code[4].dst.mask, kMaskX | kMaskY | kMaskZ);
    EXPECT_TRUE(prog.code[4].src[0].negate);
    EXPECT_EQ(prog.code[4].src[0].swizzle, MakeSwizzle(3, 2, 2, 2));
    EXPECT_EQ(prog.code[5].dst.mask, kMaskY | kMaskW);
    EXPECT_EQ(prog.code[5].src[0].swizzle, MakeSwizzle(0, 1, 1, 1));
    EXPECT_EQ(prog.code[7].op, OpCode::Nop);
    EXPECT_EQ(prog.code[8].dst.index, static_cast<UINT>(kOutPointSize));
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

}  // namespace
