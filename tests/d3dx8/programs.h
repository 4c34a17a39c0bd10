// The engine's vertex-shader programs as the engine builds them, with what each one does.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "platform/d3dx8/d3dx8.h"

namespace qmtest {

struct ShaderSource {
    std::string name;
    std::string text;
    int colour = 0;  // 0 vertex colour, 1 constant c10, 2 vertex colour × c10
    int mode = -1;   // morph: bit 0 blends colours, bit 1 texture coordinates; -1 one stream
    bool sky = false;
};
inline void PrintTo(const ShaderSource& s, std::ostream* os) { *os << s.name; }

// Three single-stream programs, twelve morph programs and the sky dome.
inline std::vector<ShaderSource> EngineShaderPrograms()
{
    const char* names[] = {"Vertex", "Constant", "Modulate"};
    const char* fixed[] = {"mov oD0, v1\n", "mov oD0, c10\n", "mul oD0, v1, c10\n"};
    const char* morph[3][2] = {{"mov oD0, v2\n", "mul r1, v2, c9.x\nmad oD0, v3, c9.y, r1\n"},
                               {"mov oD0, c10\n", "mov oD0, c10\n"},
                               {"mul oD0, v2, c10\n", "mul r1, v2, c9.x\nmad r3, v3, c9.y, r1\nmul oD0, r3, c10\n"}};
    const std::string fog = "mad oFog.x, -r8.z, c8.y, c8.x\n";
    std::vector<ShaderSource> all;
    for (int c = 0; c < 3; ++c) {
        all.push_back({std::string(names[c]) + "Colour",
                       "vs.1.0\nm4x4 oPos, v0, c0\ndp4 r8.z, v0, c6\n" + std::string(fixed[c]) + "mov oT0.xy, v2\n" + fog,
                       c});
    }
    for (int c = 0; c < 3; ++c) {
        for (int mode = 0; mode < 4; ++mode) {
            all.push_back({"Morph" + std::string(names[c]) + std::to_string(mode),
                           "vs.1.0\nmul r0, v0, c9.x\nmad r0, v1, c9.y, r0\nm4x4 oPos, r0, c0\ndp4 r8.z, r0, c6\n" +
                               std::string(morph[c][mode & 1]) +
                               ((mode & 2) != 0 ? "mul r2, v4, c9.x\nmad oT0.xy, v5, c9.y, r2\n" : "mov oT0.xy, v4.xy\n") +
                               fog,
                           c, mode});
        }
    }
    // Sky dome: world x and z from c10 and c12, mapped to the texture by c9.
    all.push_back({"Sky",
                   "vs.1.0\nm4x4 oPos, v0, c0\ndp4 r8.z, v0, c6\ndp4 r0.x, v0, c10\ndp4 r0.y, v0, c12\nmov oD0, v1\n"
                   "mad oT0.xy, r0.xy, c9.xy, c9.zw\n" + fog,
                   0, -1, true});
    return all;
}

struct Assembled {
    HRESULT hr = E_FAIL;
    std::vector<DWORD> tokens;
    std::string errors;
    bool errorBuffer = false;
};

// D3DXAssembleShader with the shapes of its buffers checked on the way.
inline Assembled Assemble(const std::string& text)
{
    Assembled a;
    LPD3DXBUFFER code = nullptr, errors = nullptr, constants = reinterpret_cast<LPD3DXBUFFER>(1);
    a.hr = D3DXAssembleShader(text.data(), static_cast<UINT>(text.size()), 0, &constants, &code, &errors);
    EXPECT_EQ(constants, nullptr);
    if (code != nullptr) {
        EXPECT_EQ(code->GetBufferSize() % 4, 0u);
        a.tokens.resize(code->GetBufferSize() / 4);
        std::memcpy(a.tokens.data(), code->GetBufferPointer(), code->GetBufferSize());
        code->Release();
    }
    if (errors != nullptr) {
        a.errorBuffer = true;
        a.errors = static_cast<const char*>(errors->GetBufferPointer());
        EXPECT_EQ(a.errors.size() + 1, errors->GetBufferSize());  // NUL-terminated, the NUL counted
        errors->Release();
    }
    return a;
}

}  // namespace qmtest
