#include "programs.h"

namespace qmtest {

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string s;
    for (const std::string& l : lines) {
        s += l + "\n";
    }
    return s;
}

namespace {

std::vector<std::string> Fixed(const std::string& colour) {
    return {"vs.1.0", "m4x4 oPos, v0, c0", "dp4 r8.z, v0, c6", colour, "mov oT0.xy, v2",
            "mad oFog.x, -r8.z, c8.y, c8.x"};
}

// colour: 0 vertex, 1 constant, 2 modulate; mode bit 0 blends colours, bit 1 texture coordinates.
std::vector<std::string> Morph(int colour, int mode) {
    std::vector<std::string> l = {"vs.1.0", "mul r0, v0, c9.x", "mad r0, v1, c9.y, r0", "m4x4 oPos, r0, c0",
                                  "dp4 r8.z, r0, c6"};
    const bool blendColour = (mode & 1) != 0;
    if (colour == 0) {
        if (blendColour) {
            l.insert(l.end(), {"mul r1, v2, c9.x", "mad oD0, v3, c9.y, r1"});
        } else {
            l.push_back("mov oD0, v2");
        }
    } else if (colour == 1) {
        l.push_back("mov oD0, c10");
    } else if (blendColour) {
        l.insert(l.end(), {"mul r1, v2, c9.x", "mad r3, v3, c9.y, r1", "mul oD0, r3, c10"});
    } else {
        l.push_back("mul oD0, v2, c10");
    }
    if ((mode & 2) != 0) {
        l.insert(l.end(), {"mul r2, v4, c9.x", "mad oT0.xy, v5, c9.y, r2"});
    } else {
        l.push_back("mov oT0.xy, v4.xy");
    }
    l.push_back("mad oFog.x, -r8.z, c8.y, c8.x");
    return l;
}

}  // namespace

std::vector<ShaderSource> EngineShaderPrograms() {
    std::vector<ShaderSource> all = {
        {"vertex colour", JoinLines(Fixed("mov oD0, v1"))},
        {"constant colour", JoinLines(Fixed("mov oD0, c10"))},
        {"modulate colour", JoinLines(Fixed("mul oD0, v1, c10"))},
    };
    const char* names[] = {"morph vertex colour", "morph constant colour", "morph modulate colour"};
    for (int colour = 0; colour < 3; ++colour) {
        for (int mode : {3, 1, 2, 0}) {
            all.push_back({std::string(names[colour]) + " mode " + std::to_string(mode), JoinLines(Morph(colour, mode))});
        }
    }
    // Sky dome: position × c0..c3, depth from c6, world x and z from c10 and c12 mapped by c9.
    all.push_back({"sky", JoinLines({"vs.1.0", "m4x4 oPos, v0, c0", "dp4 r8.z, v0, c6", "dp4 r0.x, v0, c10",
                                     "dp4 r0.y, v0, c12", "mov oD0, v1", "mad oT0.xy, r0.xy, c9.xy, c9.zw",
                                     "mad oFog.x, -r8.z, c8.y, c8.x"})});
    return all;
}

}  // namespace qmtest
