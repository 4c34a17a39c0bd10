// The heroine's class of weapon type 11, the bow ("heroine08"): her motions fire arrows from the
// right-weapon frame, one at a time, fanned out by yaw or pitch, or trailed by a glitter.
#pragma once

#include "MainCode/Character/THero.h"
#include "dx/dx8/3d/TMesh8.h"

class THeroine08 : public THero {
    friend struct TCharacterProbe;
public:
    // Throws my_error naming "effect/arw00.msh" when the arrow mesh cannot be read.
    THeroine08(const TPlayerFieldLinks& links, std::uint32_t characterIndex, const TCharacterRecord& record);

    void OnPatternEvent(const TPatternEvent& frame) override;

    // One arrow: shot 1100 flying from the right-weapon frame along its Z axis turned by yaw about
    // the frame's Y axis, then by pitch about its X axis (degrees), carrying a held hit; a hit tag
    // of 100000 adds a trailing shot 56 and gives the hit no tag. No shot 1100, nothing at all.
    void FireArrow(float speed, std::int32_t life, float firstValue, float secondValue, float yaw, float pitch,
                   std::int32_t extraFlags, float hitScale, std::uint32_t thirdValue, std::int32_t hitTag,
                   bool magic);

    static constexpr std::int32_t kTrailedTag = 100000;

private:
    TMesh8 m_arrowMesh;
};
