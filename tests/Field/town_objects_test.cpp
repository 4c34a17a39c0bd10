// The map objects in play: the generated town's elder talked to, its purse picked up and its save
// point stepped on through the whole game; and a picture of a weapon and a bag lying over a slope
// with their shadows on it.
#include <filesystem>

#include "Field/field_game_fixture.h"
#include "MainCode/Character/TPlayerSeams.h"
#include "MainCode/Character/TVillager.h"
#include "MainCode/Effect/TEffectManager.h"
#include "MainCode/GameData/TItemTable.h"
#include "MainCode/GameData/TSvpTable.h"
#include "MainCode/GameData/TWeponTable.h"
#include "MainCode/Map/TCamera.h"
#include "MainCode/Map/TMapItem.h"
#include "MainCode/Map/TMapSavePoint.h"
#include "MainCode/Map/TTownArea.h"
#include "MainCode/Script/TMessageWindow.h"
#include "MainCode/Script/TScriptProcessManager.h"
#include "support/effect_create_recorder.h"
#include "support/golden.h"
#include "formats/ground_writer.h"
#include "support/map_probe.h"
#include "support/script_probe.h"

namespace fieldtest {
namespace {

class TownObjects : public FieldGame {
protected:
    TFieldLoop* Play(const std::string& entry)
    {
        Start();
        Steps(8);
        return PlayFromTitle(entry);
    }
};

TEST_F(TownObjects, TheElderTalksThePurseIsTakenAndTheSavePointAsks)
{
    TFieldLoop* field = Play("town");
    ASSERT_NE(field, nullptr);
    auto* town = dynamic_cast<TTownArea*>(field->GetArea());
    ASSERT_NE(town, nullptr);
    ASSERT_EQ(TMapProbe::Villagers(*town).size(), 1u);
    TVillager* elder = TMapProbe::Villagers(*town)[0].Get();
    EXPECT_EQ(elder->GetScriptKey(), qmtest::FieldLayout::kElder);
    EXPECT_EQ(PositionOf(elder), qmtest::FieldLayout::Elder());
    TPlayerCharacter* player = field->GetPlayer();

    // The purse: a step onto it and the money is in.
    TGameData* data = TGameData::GetInstance();
    const std::uint32_t money = data->GetMoney();
    const D3DXVECTOR3 purse = qmtest::FieldLayout::TownPurse();
    player->PlaceAt(D3DXVECTOR3(purse.x, 0.0F, purse.z - 0.5F), D3DXVECTOR3(0, 0, 1));
    Step();
    EXPECT_EQ(data->GetMoney(), money + qmtest::FieldLayout::kTownPurseMoney);
    EXPECT_EQ(data->GetPickupFlag(qmtest::FieldLayout::kTownPurseFlag), 1);
    ASSERT_FALSE(PlayerSounds().empty());
    EXPECT_EQ(PlayerSounds().back(), 217u);

    // The save point: one request, one effect.
    std::vector<TEffectCreateCall> created;
    qmtest::EffectCreateRecorder creates(field->GetEffectManager(), &created);
    const D3DXVECTOR3 mark = qmtest::FieldLayout::TownSavePoint();
    player->PlaceAt(D3DXVECTOR3(mark.x, 0.0F, mark.z - 0.5F), D3DXVECTOR3(0, 0, 1));
    Steps(3);
    EXPECT_TRUE(player->HasSaveRequest());
    EXPECT_EQ(player->GetSavePointId(), static_cast<std::int32_t>(qmtest::FieldLayout::kSavePoint));
    ASSERT_EQ(created.size(), 1u);
    EXPECT_EQ(created[0].id, TMapSavePoint::kEffect);
    creates.Stop();

    // The elder: in front of him, the action button, and the conversation runs in the message window.
    const D3DXVECTOR3 at = qmtest::FieldLayout::Elder();
    player->PlaceAt(D3DXVECTOR3(at.x, 0.0F, at.z - 1.5F), D3DXVECTOR3(0, 0, 1));
    Press('Z');
    ASSERT_TRUE(TMapProbe::IsInScriptState(*town));
    EXPECT_EQ(town->GetTalkingVillager(), elder);
    EXPECT_TRUE(elder->IsTalking());
    auto* window = dynamic_cast<TMessageWindow*>(TScriptProcessManager::Get()->FindModule("Text"));
    ASSERT_NE(window, nullptr);
    for (int i = 0; i < 120 && !window->IsWaitingForButton(); ++i) {
        Step();
    }
    ASSERT_TRUE(window->IsWaitingForButton());
    // The one line of greeting typed out, the prompt waiting.
    EXPECT_TRUE(TScriptProbe::Lines(*window).empty());
    EXPECT_EQ(TScriptProbe::Line(*window), 1);
    EXPECT_EQ(TScriptProbe::Column(*window), 0);
    Press('Z');
    for (int i = 0; i < 60 && TMapProbe::IsInScriptState(*town); ++i) {
        Step();
    }
    EXPECT_FALSE(TMapProbe::IsInScriptState(*town));
    EXPECT_FALSE(elder->IsTalking());
    EXPECT_EQ(CurrentField(), field);
}

TEST_F(TownObjects, AWeaponAndABagLieOverASlopeWithTheirShadowsOnIt)
{
    TFieldLoop* field = Play("battle");
    ASSERT_NE(field, nullptr);
    TAreaBase* area = field->GetArea();
    // The player at the start looking up the field, the camera behind.
    field->GetPlayer()->PlaceAt(qmtest::FieldLayout::Start(), D3DXVECTOR3(0, 0, 1));
    area->GetCamera()->Reset(qmtest::FieldLayout::StartCamera(), qmtest::FieldLayout::Start(), 100);

    // A slope rising to the right in front of the start, solid and seen.
    qmtest::MeshFile slope = qmtest::GroundMesh().Ramp(16.0F, 0.0F, 24.0F, 2.0F, 12.0F, 16.0F).File("slope");
    slope.materials[0] = qmtest::MeshMaterial("slope", 0.75F, 0.62F, 0.42F, 1.0F, 0.0F);
    slope.Save("slope.msh");
    // A shadow that darkens what it lies on (the folder's own leaves it as it is).
    qmtest::MeshFile shadow = qmtest::GroundMesh().Floor(-0.5F, -0.5F, 0.5F, 0.5F, 0.0F).File("shadow01");
    shadow.materials[0] = qmtest::MeshMaterial("shadow", 0.45F, 0.45F, 0.45F, 1.0F, 0.0F);
    shadow.Save("data/msh04/effect/shadow01_mesh.msh");
    TMesh8::SetDirectory("./");
    const TMesh8 ramp = TMesh8::Load("slope.msh");
    TMesh8::SetDirectory("data/msh04/");
    area->GetCollisionWorld()->AddSolid(ramp);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    TRefPtr<TFrame> seen(new TFrame("slope", identity, nullptr));
    seen->AddMesh(ramp);
    area->GetSceneFrame()->AddChild(seen);

    // A blade of length 1.6 and a bag.
    std::filesystem::create_directories("data/msh04/wepon");
    qmtest::MeshFile bladeMesh = qmtest::BoxMesh("blade", 0.1F, 0.8F, 0.03F, 0xFFE8E8F8, 0.8F);
    bladeMesh.materials[0] = qmtest::MeshMaterial("blade", 0.9F, 0.9F, 1.0F, 1.0F, 0.0F);
    bladeMesh.Save("data/msh04/wepon/blade.msh");
    TItemRecord& blade = TItemTable::Get(2000);
    blade.Kind = 1;
    blade.MeshName = "blade";
    TWeponTable::Get(2000).TrailLength = 1.6F;
    TItemTable::Get(2001).Kind = 0;
    auto* weapon = new TMapItem(area, 2000, 20, 0, D3DXVECTOR3(18.6F, 1.2F, 13.5F));
    auto* bag = new TMapItem(area, 2001, 21, 0, D3DXVECTOR3(21.4F, 1.9F, 13.5F));
    area->AddObject(TRefPtr<TMapObject>(weapon));
    area->AddObject(TRefPtr<TMapObject>(bag));
    // The shadows lie on the slope: 0.01 above it, upright along its normal.
    for (TMapItem* item : {weapon, bag}) {
        TFrame* shadow = TMapProbe::ShadowFrame(*item);
        ASSERT_NE(shadow, nullptr);
        D3DXVECTOR3 p;
        D3DXVECTOR3 up;
        shadow->GetPosition(&p);
        shadow->GetAxis(&up, 2);
        const float n = 1.0F / std::sqrt(1.0F + 0.0625F);
        EXPECT_NEAR(up.x, -0.25F * n, 1e-4);
        EXPECT_NEAR(up.y, n, 1e-4);
        EXPECT_NEAR(p.y, (p.x - 0.01F * up.x - 16.0F) * 0.25F + 0.01F * up.y, 1e-3);
    }
    Steps(20);
    EXPECT_TRUE(qmtest::MatchesGolden(Screen(), "MapItemsOnASlope"));
}

}  // namespace
}  // namespace fieldtest
