// The shot prototypes of the effect catalogue, registered by effect id.
#pragma once

#include <cstdint>
#include <vector>

class TEffectManager;

// Builds every shot prototype in ascending id order (the order fixes the texture cells each
// particle prototype takes) and registers it with the manager. Loads the shots' files.
void AddShotPrototypes(TEffectManager& manager);
// The ids AddShotPrototypes registers, ascending.
const std::vector<std::uint32_t>& GetShotPrototypeIds();
