// Heroes stepped frame by frame: a body whose motions last chosen numbers of frames, buttons
// scripted per frame through the input history, a flat ground at a chosen height, and a record of
// every frame (state, row, motion, vertical speed, gravity, reservation, queue, follow-up, effects).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "MainCode/Character/THero.h"
#include "formats/mesh_writer.h"

class TEffectManager;
class TInputDevice;

namespace qmtest {

// Motion m lasts frames[m] steps: its step returns false on the frames[m]-th step.
MeshFile HeroTraceBody(const std::vector<std::uint32_t>& frames);
// Writes "<folder><name>.tob" and "<name>.pat" (patterns that do not move the hero).
void SaveHeroTraceModel(const std::string& folder, const std::string& name, const std::vector<std::uint32_t>& frames);

struct HeroTraceFrame {
    std::uint32_t state = 0;
    std::uint32_t row = 0;
    std::uint32_t motion = 0;
    float verticalSpeed = 0.0F;
    float gravity = 0.0F;
    std::uint32_t reservedKind = 0;
    std::uint32_t reservedArgument = 0;
    std::uint32_t queued = 0;
    std::uint8_t followUp = 0;
    std::uint32_t effects = 0;
    float height = 0.0F;
};

class HeroTrace {
public:
    // The attack buttons are read two polls after the movement words see them.
    static constexpr std::uint32_t kAttackDelay = 2;

    HeroTrace(THero& hero, TInputDevice& input, TEffectManager* effects = nullptr);

    // The buttons held from the next frame on.
    void Hold(std::uint32_t bits) { buttons_ |= bits; }
    void Release(std::uint32_t bits) { buttons_ &= ~bits; }
    // The flat ground under the hero; the hero stands on it when it comes up to meet it.
    void SetGround(float height) { ground_ = height; }
    void PlaceAt(float height);
    // One frame: the history shifts in the held buttons, the hero steps, gravity moves it and the
    // ground answers; the frame is recorded.
    const HeroTraceFrame& Step();
    // n frames; the last one's record.
    const HeroTraceFrame& Step(std::uint32_t n);
    // Steps until the row is running (at most `limit` frames); false when it never came.
    bool StepUntilRow(std::uint32_t row, std::uint32_t limit = 200);
    bool StepUntilState(std::uint32_t state, std::uint32_t limit = 200);
    const std::vector<HeroTraceFrame>& Frames() const { return frames_; }
    // The rows in the order they ran, each once per run.
    std::vector<std::uint32_t> Rows() const;

private:
    THero& hero_;
    TInputDevice& input_;
    TEffectManager* effects_;
    std::uint32_t buttons_ = 0;
    float ground_ = 0.0F;
    std::vector<HeroTraceFrame> frames_;
};

}  // namespace qmtest
