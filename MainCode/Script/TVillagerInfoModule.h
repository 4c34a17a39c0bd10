// Module "VillagerInfo": a villager's set-up script describes the villager in one call, which
// fills the villager's record and stops the run.
#pragma once

#include <cstdint>
#include <string>

#include "MainCode/Script/TScriptModule.h"

// What a villager is built from; the villager sets the script key, its set-up script the rest.
struct TVillagerInfo {
    std::string scriptKey;
    std::string name;          // object name: frame and model
    std::uint32_t objectId = 0;
    std::uint32_t value2 = 0;
    std::uint32_t faceMode = 0;  // 1: turns to the player while talking
    float centreHeight = 0.0f;
    float shadowSize = 0.0f;
    float value6 = 0.0f;
    float gravity = 0.0f;
    std::uint8_t shadowVisible = 0;
    std::uint8_t pushable = 0;
    float position[3] = {0.0f, 0.0f, 0.0f};
    float direction[3] = {0.0f, 0.0f, 0.0f};  // all 0: chosen at random
};

class TVillagerInfoModule : public TScriptModule {
public:
    static constexpr std::size_t kArguments = 16;

    explicit TVillagerInfoModule(TVillagerInfo* info);

    // Command 0 fills the record from its sixteen arguments; every command stops the run (7).
    std::uint32_t Call(std::uint32_t command, const std::deque<std::string>& args,
                       const std::deque<std::uint32_t>& kinds) override;
    void Update() override { DoNothing(); }
    void Draw() override { DoNothing(); }

private:
    TVillagerInfo* m_info;
};
