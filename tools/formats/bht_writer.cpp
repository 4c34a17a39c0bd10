#include "formats/bht_writer.h"

#include "formats/byte_writer.h"
#include "formats/table_writer.h"

namespace qmtest {

std::vector<std::uint8_t> AttackRecordBytes(const TAttackRecord& r)
{
    ByteWriter out;
    out.U32(r.Id).U32(r.Kind).U32(r.CancelMask).U32(r.Placement).U32(r.Lifetime);
    out.F32(r.Offset[0]).F32(r.Offset[1]).F32(r.Offset[2]);
    out.I32(r.Interval).U32(r.Flags).U32(r.Element).U32(r.Param3).U32(r.HitCount);
    out.F32(r.DamageFactor).F32(r.Radius).F32(r.ValueA).F32(r.KnockTime).F32(r.LaunchSpeed).I32(r.Param8);
    return out.Data();
}

std::vector<std::uint8_t> BhtFile::Build() const
{
    TableWriter header(scrambled);
    for (const auto& [name, value] : columns) {
        header.Column(name, value);
    }
    header.RecordCount(recordCount < 0 ? static_cast<std::uint32_t>(records.size())
                                       : static_cast<std::uint32_t>(recordCount));
    std::vector<std::uint8_t> bytes = header.Build();
    for (const TAttackRecord& record : records) {
        const std::vector<std::uint8_t> r = AttackRecordBytes(record);
        bytes.insert(bytes.end(), r.begin(), r.end());
    }
    return bytes;
}

void BhtFile::Save(const std::string& path) const { SaveBytes(path, Build()); }

}  // namespace qmtest
