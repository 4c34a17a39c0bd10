#include "MainCode/Character/Subset/TPatternInfo.h"

#include <vector>

#include "TCommon/TByteReader.h"
#include "TCommon/FileFailure.h"
#include "TCommon/my_error.h"

namespace {

const char* const kSourceFile = "MainCode/Character/Subset/TPatternInfo";
constexpr std::uint32_t kFrameBytes = 28;

bool ReadFrame(TByteReader& in, TPatternEvent& frame)
{
    return in.U16(frame.AttackId) && in.U8(frame.SecondByte) && in.U16(frame.EventCode) && in.U32(frame.SoundId) &&
           in.U32(frame.VoiceId) && in.U8(frame.ShakeLevel) && in.F32(frame.Displacement.x) &&
           in.F32(frame.Displacement.y) && in.F32(frame.Displacement.z) && in.U8(frame.FlashFlag) &&
           in.U8(frame.ExtraFlag);
}

}  // namespace

TPatternInfo::TPatternInfo(const char* name)
{
    Load(name);
}

void TPatternInfo::Load(const char* name)
{
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(s_folder + name, bytes)) {
        throw my_error(FileFailureText(name), kSourceFile, 28);
    }
    TByteReader in(bytes.data(), bytes.size());
    std::uint32_t header = 0;
    std::uint32_t count = 0;
    // Every pattern takes at least its frame count.
    if (!in.U32(header) || !in.U32(count) || !in.Fits(count, 4)) {
        throw my_error(name, kSourceFile, __LINE__);
    }
    TRefPtr<Pattern[]> patterns(new Pattern[count]);
    for (std::uint32_t p = 0; p < count; ++p) {
        Pattern& pattern = patterns[p];
        if (!in.U32(pattern.FrameCount) || !in.Fits(pattern.FrameCount, kFrameBytes)) {
            throw my_error(name, kSourceFile, __LINE__);
        }
        pattern.Frames = TRefPtr<TPatternEvent[]>(new TPatternEvent[pattern.FrameCount]);
        for (std::uint32_t f = 0; f < pattern.FrameCount; ++f) {
            ReadFrame(in, pattern.Frames[f]);  // the count was checked against the bytes left
        }
    }
    m_patterns = patterns;
    m_count = count;
}

std::uint32_t TPatternInfo::GetFrameCount(std::uint32_t pattern) const
{
    return pattern < m_count ? m_patterns[pattern].FrameCount : 0;
}

const TPatternEvent* TPatternInfo::GetFrame(std::uint32_t pattern, float time) const
{
    static const TPatternEvent kNothing;
    const std::uint32_t frames = GetFrameCount(pattern);
    if (frames == 0) {
        return &kNothing;
    }
    std::uint32_t frame = 0;
    if (time >= static_cast<float>(frames)) {
        frame = frames - 1;
    } else if (time > 0.0f) {  // also keeps NaN at frame 0
        frame = static_cast<std::uint32_t>(time);
    }
    return &m_patterns[pattern].Frames[frame];
}
