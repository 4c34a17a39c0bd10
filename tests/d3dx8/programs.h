// The engine's vertex-shader programs, built as the engine builds them: lines joined with "\n".
#pragma once

#include <string>
#include <vector>

namespace qmtest {

struct ShaderSource {
    std::string name;
    std::string text;
};

std::string JoinLines(const std::vector<std::string>& lines);

// The fifteen mesh programs (three fixed, twelve morph) and the sky dome program.
std::vector<ShaderSource> EngineShaderPrograms();

}  // namespace qmtest
