// The texture variants of the hero and heroine models, chosen by event flags 0x230 and 0x231.
#pragma once

#include <string>

// The texture a model textured from `current` should wear now: "hero.ptx/hero", "hero01" or
// "hero02" by flag 0x230 (likewise "heroine.ptx/..." by 0x231); empty for a texture of neither
// package or without a game database.
std::string SelectCharacterTextureName(const std::string& current);
