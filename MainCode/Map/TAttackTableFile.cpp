#include "MainCode/Map/TAttackTableFile.h"

#include "MainCode/GameData/TGameTable.h"
#include "TCommon/TByteReader.h"

namespace {

// Seventeen reads over a default record: five words, the offset, then fields 8 to 18.
bool ReadRecord(TByteReader& in, TAttackRecord& r)
{
    return in.U32(r.Id) && in.U32(r.Kind) && in.U32(r.CancelMask) && in.U32(r.Placement) && in.U32(r.Lifetime) &&
           in.F32(r.Offset[0]) && in.F32(r.Offset[1]) && in.F32(r.Offset[2]) && in.I32(r.Interval) &&
           in.U32(r.Flags) && in.U32(r.Element) && in.U32(r.Param3) && in.U32(r.HitCount) &&
           in.F32(r.DamageFactor) && in.F32(r.Radius) && in.F32(r.ValueA) && in.F32(r.KnockTime) &&
           in.F32(r.LaunchSpeed) && in.I32(r.Param8);
}

}  // namespace

bool TAttackTableFile::Load(const std::string& path)
{
    m_path = path;
    return LoadTableFile(path, m_scrambled, m_recordCount, m_nameCount, m_names, m_values, [this](TByteReader& in) {
        // The records are never scrambled; a count beyond the file reads what is there.
        for (std::uint32_t i = 0; i < m_recordCount; ++i) {
            TAttackRecord record;
            if (!ReadRecord(in, record)) {
                return false;
            }
            m_records.push_back(record);
        }
        return true;
    });
}

void TAttackTableFile::Clear()
{
    m_recordCount = 0;
    m_nameCount = 0;
    m_names.clear();
    m_values.clear();
    m_records.clear();
}

TAttackRecord TAttackTableFile::GetRecord(std::size_t i) const
{
    return i < m_records.size() ? m_records[i] : TAttackRecord();
}
