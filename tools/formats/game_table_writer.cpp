#include "formats/game_table_writer.h"

#include <type_traits>

namespace qmtest {

namespace {

template <typename T, std::size_t N>
void Numbers(TableWriter& out, const T (&values)[N])
{
    for (const T& value : values) {
        if constexpr (std::is_same_v<T, float>) {
            out.Float(value);
        } else {
            out.Number(static_cast<std::uint32_t>(value));
        }
    }
}

}  // namespace

void WriteRecord(TableWriter& out, const TItemRecord& r)
{
    out.Number(r.Id).Text(r.Name).Byte(r.Kind).Byte(r.NoSell).Byte(r.RingUsable).Byte(r.Flag3);
    out.Number(r.BuyPrice).Number(r.SellPrice).Text(r.MeshName).Text(r.InfoName).Text(r.IconName);
    out.Text(r.Text1).Text(r.Text2).Text(r.Text3);
}

void WriteRecord(TableWriter& out, const TSkillRecord& r)
{
    out.Number(r.Id).Text(r.Name).Byte(r.Type).Byte(r.SubKind).Text(r.InfoName);
    out.Text(r.Text1).Text(r.Text2).Text(r.Text3);
}

void WriteRecord(TableWriter& out, const TSvpRecord& r)
{
    out.Number(r.Id).Text(r.MapName).Float(r.StartX).Float(r.StartY).Float(r.StartZ).Text(r.PlaceName);
}

void WriteRecord(TableWriter& out, const THrdefRecord& r)
{
    out.Int(r.Id).Text(r.Name).Int(r.Level).Int(r.Experience).Int(r.LifeMax).Int(r.MpMax).Int(r.GaugeMax);
    Numbers(out, r.Stat);
    Numbers(out, r.ElementValue);
    out.Number(r.WeaponId).Number(r.Accessory1Id).Number(r.Accessory2Id);
    Numbers(out, r.Extra);
    out.Text(r.FaceName).Text(r.ModelName).Text(r.TableName);
}

void WriteRecord(TableWriter& out, const TWeponRecord& r)
{
    out.Number(r.Id).Text(r.Name).Int(r.Type).Number(r.Attack).Float(r.TrailLength).Number(r.Element);
    Numbers(out, r.Skill);
    out.Text(r.MeshName);
}

void WriteRecord(TableWriter& out, const TAccessoryRecord& r)
{
    out.Number(r.Id).Text(r.Name).Byte(r.Flag).Int(r.PhysicalDefence).Int(r.MagicDefence);
    Numbers(out, r.ElementDefence);
    Numbers(out, r.Skill);
    out.Text(r.Note);
}

void WriteRecord(TableWriter& out, const TItemMeanRecord& r)
{
    out.Number(r.Id).Int(r.Word1).Int(r.HpRecover).Int(r.MpRecover);
    Numbers(out, r.Bonus);
    out.Byte(r.CurePoison).Byte(r.CureSickness).Byte(r.CureConfusion).Byte(r.CureFear).Byte(r.CureSlow);
    out.Byte(r.CureSilence).Int(r.Cost).Int(r.Duration);
}

}  // namespace qmtest
