// The shot prototypes of the effect catalogue, by effect id.
#pragma once

#include <cstdint>

class TEffect;

// A new shot prototype of the id (its files loaded), or null when the id is no shot. The effect
// manager builds them with the rest of the catalogue, in ascending id order.
TEffect* NewShotPrototype(std::uint32_t id);
