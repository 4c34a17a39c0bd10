// Shorthands for writing a hero class's action rows, one per executor kind with its numbers.
#pragma once

#include "MainCode/Character/THero.h"

namespace herorows {

using K = THeroKind;

constexpr THeroRow Recover(std::uint32_t m) { return {m, K::Recover}; }
constexpr THeroRow RecoverAirborne(std::uint32_t m) { return {m, K::RecoverAirborne}; }
constexpr THeroRow Combo(std::uint32_t m, std::uint32_t x, std::uint32_t y, std::uint32_t c)
{
    return {m, K::ComboStep, x, y, c};
}
constexpr THeroRow Fixed(std::uint32_t m, std::uint32_t y, std::uint32_t c) { return {m, K::FixedChain, 0, y, c}; }
constexpr THeroRow Chain(std::uint32_t m, std::uint32_t a, std::uint32_t b, std::uint32_t c)
{
    return {m, K::Chain, 0, 0, c, a, b};
}
constexpr THeroRow Leap(std::uint32_t m, std::uint32_t x) { return {m, K::Leap, x}; }
constexpr THeroRow AirCombo(std::uint32_t m, std::uint32_t x, std::uint32_t y, std::uint32_t a, std::uint32_t b,
                            std::uint32_t c)
{
    return {m, K::AirComboStep, x, y, c, a, b};
}
constexpr THeroRow UntilLanding(std::uint32_t m, std::uint32_t x) { return {m, K::StrikeUntilLanding, x}; }
constexpr THeroRow Hover(std::uint32_t m, std::uint32_t y, std::uint32_t c) { return {m, K::HoverStrike, 0, y, c}; }
constexpr THeroRow AirRecovery(std::uint32_t m) { return {m, K::AirRecovery}; }
constexpr THeroRow Falling(std::uint32_t m, std::uint32_t x, std::uint32_t y, std::uint32_t c)
{
    return {m, K::FallingComboStep, x, y, c};
}

}  // namespace herorows
