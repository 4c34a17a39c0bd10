// A small interpreter for the GL_ARB_vertex_program text our translator writes, so tests can run a
// translated shader on the CPU. It also enforces the ARB rules the translator must keep (scalar
// operands, ordered write masks, write-only results, declared names).
#pragma once

#include <array>
#include <string>

namespace qmtest {

using Vec4 = std::array<float, 4>;

struct ArbVertex {
    Vec4 attrib[16] = {};
    Vec4 env[96] = {};
    // Outputs; components the program leaves are NaN.
    Vec4 position{}, color{}, secondary{}, texcoord[8] = {}, fogcoord{}, pointsize{};
};

// Runs the program on one vertex; false with a reason when the text breaks a rule.
bool RunArbProgram(const std::string& text, ArbVertex& v, std::string& error);

}  // namespace qmtest
