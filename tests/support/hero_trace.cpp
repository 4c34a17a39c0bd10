#include "support/effect_probe.h"
#include "support/hero_trace.h"

#include "MainCode/Effect/TEffectManager.h"
#include "MainCode/TInputDevice.h"
#include "formats/byte_writer.h"
#include "formats/ground_writer.h"
#include "formats/pattern_writer.h"
#include "support/character_probe.h"

namespace qmtest {

MeshFile HeroTraceBody(const std::vector<std::uint32_t>& frames)
{
    MeshFile body = GroundMesh().WallZ(0, -0.5F, 0.5F, 0, 2).File("body");
    body.animated = true;
    for (std::size_t m = 0; m < frames.size(); ++m) {
        body.morphs.push_back({"m" + std::to_string(m), std::vector<std::uint32_t>(frames[m], 0),
                               std::vector<float>(frames[m], 1.0F)});
    }
    return body;
}

void SaveHeroTraceModel(const std::string& folder, const std::string& name, const std::vector<std::uint32_t>& frames)
{
    HeroTraceBody(frames).Save(folder + name + ".tob");
    std::vector<std::vector<TPatternEvent>> patterns;
    for (const std::uint32_t n : frames) {
        patterns.emplace_back(n, TPatternEvent());
    }
    SaveBytes(name + ".pat", BuildPatternFile(patterns));
}

HeroTrace::HeroTrace(THero& hero, TInputDevice& input, TEffectManager* effects)
    : hero_(hero), input_(input), effects_(effects)
{
    for (std::uint32_t i = 0; i < 4; ++i) {
        input_.SetWord(i, 0);
    }
}

void HeroTrace::PlaceAt(float height)
{
    D3DXVECTOR3 p;
    hero_.GetPosition(&p);
    p.y = height;
    hero_.SetPosition(p);
}

const HeroTraceFrame& HeroTrace::Step()
{
    for (std::uint32_t i = 3; i > 0; --i) {
        input_.SetWord(i, input_.GetWord(i - 1));
    }
    input_.SetWord(0, buttons_);
    hero_.Update();
    HeroTraceFrame f;
    f.state = hero_.GetState();
    f.row = TCharacterProbe::SubState(hero_);
    f.motion = hero_.GetBodyMesh()->GetMorphIndex();
    f.verticalSpeed = TCharacterProbe::Velocity(hero_).y;
    f.gravity = TCharacterProbe::Gravity(hero_);
    f.reservedKind = TCharacterProbe::ReservedKind(hero_);
    f.reservedArgument = TCharacterProbe::ReservedArgument(hero_);
    f.queued = TCharacterProbe::CommandCount(hero_);
    f.followUp = TCharacterProbe::FollowUpFlag(hero_);
    f.effects = effects_ != nullptr ? TEffectProbe::LiveCount(*effects_) : 0;
    // Gravity and the ground.
    hero_.ApplyVelocity();
    D3DXVECTOR3 p;
    hero_.GetPosition(&p);
    const float up[3] = {0.0F, 1.0F, 0.0F};
    const bool touches = p.y <= ground_ && TCharacterProbe::Velocity(hero_).y <= 0.0F;
    if (touches) {
        p.y = ground_;
        hero_.SetPosition(p);
    }
    hero_.SetContact(ground_, 1, 0, touches ? 1 : 0, 0, up);
    f.height = p.y;
    frames_.push_back(f);
    return frames_.back();
}

const HeroTraceFrame& HeroTrace::Step(std::uint32_t n)
{
    for (std::uint32_t i = 1; i < n; ++i) {
        Step();
    }
    return Step();
}

bool HeroTrace::StepUntilRow(std::uint32_t row, std::uint32_t limit)
{
    for (std::uint32_t i = 0; i < limit; ++i) {
        const HeroTraceFrame& f = Step();
        if (f.state == TPlayerCharacter::kStateAction && f.row == row) {
            return true;
        }
    }
    return false;
}

bool HeroTrace::StepUntilState(std::uint32_t state, std::uint32_t limit)
{
    for (std::uint32_t i = 0; i < limit; ++i) {
        if (Step().state == state) {
            return true;
        }
    }
    return false;
}

std::vector<std::uint32_t> HeroTrace::Rows() const
{
    std::vector<std::uint32_t> rows;
    bool inAction = false;
    for (const HeroTraceFrame& f : frames_) {
        const bool acting = f.state == TPlayerCharacter::kStateAction;
        if (acting && (!inAction || rows.empty() || rows.back() != f.row)) {
            rows.push_back(f.row);
        }
        inAction = acting;
    }
    return rows;
}

}  // namespace qmtest
