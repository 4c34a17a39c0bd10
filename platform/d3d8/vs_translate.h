// Vertex-shader token streams (shader_tokens.h) decoded and turned into GL_ARB_vertex_program text.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "platform/d3d8/shader_tokens.h"

namespace platform {

struct VsInstruction {
    vs::OpCode op = vs::OpCode::Nop;
    vs::DestParam dst;
    std::array<vs::SrcParam, 3> src{};
    UINT srcCount = 0;
    std::array<float, 4> value{};  // def only
};

struct VsProgram {
    UINT major = 1;
    UINT minor = 0;
    std::vector<VsInstruction> code;
};

// Checks every token against the layout and the register limits; never reads past tokenCount.
// Returns false with a one-line reason for anything malformed.
bool DecodeVertexShader(const DWORD* tokens, size_t tokenCount, VsProgram& out, std::string& error);

struct VsTranslation {
    bool ok = false;
    std::string program;  // "!!ARBvp1.0 … END"
    std::string error;
    std::vector<UINT> constantsRead;  // constant registers the program reads, ascending (defs left out)
    UINT inputsRead = 0;              // bit N: vN is read
    bool relative = false;            // reads constants through a0
};

// Constant register N read from vertex.attrib[map[N]] instead of program.env[N] where map[N] >= 0.
using VsConstantInputs = std::array<int, vs::kConstCount>;

// Input vN = vertex.attrib[N]; cN = program.env[N] (or the literal of a def); oPos gets the
// D3D → GL clip-space depth change z' = 2z − w here and nowhere else; oD0 → result.color (white when the
// shader leaves it), oD1 → result.color.secondary (black when left); every written oTn is written whole
// with z = 0, w = 1 for the components the shader leaves; oFog.x → result.fogcoord.x clamped to [0, 1]
// (1 when the shader leaves it), to be used with GL linear fog from 1 to 0.
// With constantInputs, the constants it names come from vertex attributes (relative reads stay).
VsTranslation TranslateVertexShader(const DWORD* tokens, size_t tokenCount,
                                    const VsConstantInputs* constantInputs = nullptr);

}  // namespace platform
