#include "formats/pattern_writer.h"

#include "formats/byte_writer.h"

namespace qmtest {

std::vector<std::uint8_t> BuildPatternFile(const std::vector<std::vector<TPatternEvent>>& patterns,
                                           std::uint32_t header)
{
    ByteWriter out;
    out.U32(header).U32(static_cast<std::uint32_t>(patterns.size()));
    for (const std::vector<TPatternEvent>& frames : patterns) {
        out.U32(static_cast<std::uint32_t>(frames.size()));
        for (const TPatternEvent& f : frames) {
            out.U16(f.AttackId).U8(f.SecondByte).U16(f.EventCode).U32(f.SoundId).U32(f.VoiceId).U8(f.ShakeLevel);
            out.F32(f.Displacement.x).F32(f.Displacement.y).F32(f.Displacement.z).U8(f.FlashFlag).U8(f.ExtraFlag);
        }
    }
    return out.Data();
}

std::vector<std::uint8_t> BuildWeponStateFile(const std::vector<WeponKey>& keys,
                                              const std::vector<std::vector<std::uint32_t>>& motions,
                                              std::uint32_t header)
{
    ByteWriter out;
    out.U32(header).U32(static_cast<std::uint32_t>(keys.size()));
    for (const WeponKey& k : keys) {
        for (const D3DXVECTOR3* p : {&k.firstPosition, &k.secondPosition}) {
            const D3DXQUATERNION& q = p == &k.firstPosition ? k.firstRotation : k.secondRotation;
            out.F32(p->x).F32(p->y).F32(p->z).F32(q.x).F32(q.y).F32(q.z).F32(q.w);
        }
    }
    out.U32(static_cast<std::uint32_t>(motions.size()));
    for (const std::vector<std::uint32_t>& motion : motions) {
        out.U32(static_cast<std::uint32_t>(motion.size()));
        for (std::uint32_t key : motion) {
            out.U32(key);
        }
    }
    return out.Data();
}

}  // namespace qmtest
