// The pause menu's item ring and equipment screens in the sample folder: an axe that the first hero
// can take up in place of his sword (another weapon type, so another class and look), and in the
// town a pick-up of it and one of item 2 to set into the ring.
#include "SampleData.h"

namespace sample {

void AddEquipmentContent(Catalogue& c)
{
    TWeponRecord axe;
    axe.Id = SampleLayout::kAxe;
    axe.Name = "大きな斧";
    axe.Type = 2;  // the first hero's third class, with the "hero02" look
    axe.Attack = 20;
    axe.TrailLength = 1.0F;
    axe.MeshName = "wpn1003";
    c.wepons.push_back(axe);
    TItemRecord item;
    item.Id = axe.Id;
    item.Name = axe.Name;
    item.Kind = 1;
    item.BuyPrice = 400;
    item.SellPrice = 200;
    item.MeshName = axe.MeshName;  // lying in the town
    item.InfoName = "info1003";
    item.IconName = "icon1003";
    item.Text1 = "重い一撃の斧";
    c.items.push_back(item);
}

void AddEquipmentPickups(qmtest::FieldMap& town)
{
    town.items.push_back({SampleLayout::kRingItem, SampleLayout::kRingItemFlag, 0, SampleLayout::RingItemPickup()});
    town.items.push_back({SampleLayout::kAxe, SampleLayout::kAxeFlag, 0, SampleLayout::AxePickup()});
}

}  // namespace sample
