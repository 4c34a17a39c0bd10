// Item pick-ups: bobbing, the taking of money and items with their notices, sounds and flags, the
// full inventory, the fade of items nobody takes, the shadow on the floor, models by kind and the
// weapon laid flat, and idle map objects that allocate nothing.
#include <cmath>
#include <filesystem>
#include <memory>

#include "MainCode/GameData/TCharacterRecord.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/GameData/TItemTable.h"
#include "MainCode/GameData/TSkillTable.h"
#include "MainCode/GameData/TWeponTable.h"
#include "MainCode/Hud/TGetRender.h"
#include "support/dx_probe.h"
#include "support/hud_probe.h"
#include "MainCode/Map/TMapItem.h"
#include "MainCode/Map/TMapSavePoint.h"
#include "MainCode/Map/TMapScriptObject.h"
#include "MainCode/Map/TMapTrigger.h"
#include "Map/map_object_fixture.h"
#include "dx/dx8/3d/TMesh8.h"
#include "support/alloc_probe.h"
#include "formats/field_writer.h"
#include "support/map_probe.h"

namespace maptest {
namespace {

constexpr std::int32_t kMoney = TMapItem::kMoney;
constexpr std::int32_t kNoFlag = TMapItem::kNoFlag;
const D3DXVECTOR3 kSpot(20.0F, 0.4F, 16.0F);
const D3DXVECTOR3 kFar(20.0F, 0.0F, 2.0F);

class Items : public MapObjectTest {
protected:
    void SetUp() override
    {
        MapObjectTest::SetUp();
        Open("battle");
        Stand(kFar, D3DXVECTOR3(0, 0, 1), 0);
        data_ = TGameData::GetInstance();
    }
    std::unique_ptr<TMapItem> Make(std::int32_t itemId, std::int32_t flag, std::int32_t money,
                                   const D3DXVECTOR3& at = kSpot)
    {
        return std::make_unique<TMapItem>(area_, itemId, flag, money, at);
    }
    void Near() { Stand(D3DXVECTOR3(kSpot.x, 0.0F, kSpot.z - 1.1F), D3DXVECTOR3(0, 0, 1), 0); }
    TGetRender* Notice() const { return field_->GetGetRender(); }
    static float Y(const TMapItem& item)
    {
        D3DXVECTOR3 p;
        TMapProbe::Frame(item)->GetPosition(&p);
        return p.y;
    }

    TGameData* data_ = nullptr;
};

TEST_F(Items, AnItemTakenBeforeIsNeitherBuiltNorKept)
{
    data_->SetPickupFlag(7, 1);
    const std::size_t children = area_->GetSceneFrame()->GetChildCount();
    auto* item = new TMapItem(area_, kMoney, 7, 100, kSpot);
    EXPECT_FALSE(item->IsActive());
    EXPECT_EQ(TMapProbe::Frame(*item), nullptr);
    EXPECT_EQ(TMapProbe::ShadowFrame(*item), nullptr);
    EXPECT_EQ(area_->GetSceneFrame()->GetChildCount(), children);
    const std::size_t objects = TMapProbe::Objects(*area_).size();
    area_->AddObject(TRefPtr<TMapObject>(item));
    Step();
    EXPECT_EQ(TMapProbe::Objects(*area_).size(), objects);
}

TEST_F(Items, MoneyIsAddedWithTheBonusTruncatedShownAndSounded)
{
    // The purse passive in the leader's first slot: factor 12 at its last step.
    TSkillRecord& purse = TSkillTable::Get(1325);
    purse.Type = 2;
    purse.SubKind = 24;
    data_->GetCharacterData(0)->SkillSlot[0] = 1325;
    data_->UpdateSkillBonuses(0);
    ASSERT_FLOAT_EQ(data_->GetSkillFactor(12), 0.30F);

    const struct {
        std::int32_t money;
        std::uint32_t added;
    } cases[] = {{100, 130}, {7, 9}, {0, 0}};
    for (const auto& c : cases) {
        const std::uint32_t before = data_->GetMoney();
        auto item = Make(kMoney, 3, c.money);
        EXPECT_EQ(item->Update(), 1u);  // nobody near
        Near();
        EXPECT_EQ(item->Update(), TMapItem::kTaken);
        EXPECT_EQ(data_->GetMoney(), before + c.added) << c.money;
        ASSERT_FALSE(THudProbe::Queue(*Notice()).empty());
        EXPECT_EQ(std::make_pair(THudProbe::Queue(*Notice()).back().kind, THudProbe::Queue(*Notice()).back().value),
                  std::make_pair(TGetRender::kBell, c.added));
        EXPECT_EQ(PlayerSounds(), std::vector<std::uint32_t>(static_cast<std::size_t>(&c - cases) + 1, 217));
        EXPECT_EQ(data_->GetPickupFlag(3), 1);
        EXPECT_TRUE(TMapProbe::IsFading(*item));
        data_->SetPickupFlag(3, 0);
        Stand(kFar, D3DXVECTOR3(0, 0, 1), 0);
    }
}

TEST_F(Items, AFullInventoryLeavesTheItemAndItsFlagAlone)
{
    data_->AddItem(42, 99);
    auto item = Make(42, 4, 0);
    Near();
    const std::size_t notices = THudProbe::Queue(*Notice()).size();
    EXPECT_EQ(item->Update(), TMapItem::kRefused);
    EXPECT_EQ(item->Update(), TMapItem::kRefused);
    EXPECT_TRUE(TMapProbe::IsBobbing(*item));
    EXPECT_EQ(data_->GetPickupFlag(4), 0);
    EXPECT_EQ(THudProbe::Queue(*Notice()).size(), notices);
    EXPECT_TRUE(PlayerSounds().empty());

    ASSERT_TRUE(data_->UseItem(42, 1));
    EXPECT_EQ(item->Update(), TMapItem::kTaken);
    EXPECT_EQ(data_->FindItem(42)->Count, 99);
    EXPECT_EQ(data_->GetPickupFlag(4), 1);
    EXPECT_EQ(std::make_pair(THudProbe::Queue(*Notice()).back().kind, THudProbe::Queue(*Notice()).back().value),
              std::make_pair(TGetRender::kItem, 42u));
    EXPECT_EQ(PlayerSounds(), std::vector<std::uint32_t>{215});

    // It rises, turns and fades for a hundred steps, then leaves the scene at the next.
    const float y = Y(*item);
    for (int i = 1; i < TMapItem::kFadeSteps; ++i) {
        item->Update();
    }
    EXPECT_NEAR(Y(*item), y + 0.99F, 1e-4);
    EXPECT_NEAR(TMapProbe::Mesh(*item)->GetMaterial(0).GetMaterial().Emissive.a, 0.01F, 1e-5);
    item->Update();
    EXPECT_TRUE(item->IsActive());
    EXPECT_NEAR(Y(*item), y + 1.0F, 1e-4);
    EXPECT_EQ(TMapProbe::Mesh(*item)->GetMaterial(0).GetMaterial().Emissive.a, 0.0F);
    TFrame* frame = TMapProbe::Frame(*item);
    item->Update();
    EXPECT_FALSE(item->IsActive());
    EXPECT_EQ(frame->GetParent(), nullptr);
    item->Finish();
    EXPECT_EQ(TMapProbe::ShadowFrame(*item)->GetParent(), nullptr);
}

TEST_F(Items, WithoutAFlagAnItemFadesAfterAThousandStepsWithOneItLasts)
{
    auto brief = Make(kMoney, kNoFlag, 5);
    auto lasting = Make(kMoney, 9, 5);
    EXPECT_EQ(TMapProbe::Lifetime(*brief), TMapItem::kLifetime);
    EXPECT_EQ(TMapProbe::Lifetime(*lasting), TMapItem::kEndless);
    for (int i = 1; i < TMapItem::kLifetime; ++i) {
        brief->Update();
        lasting->Update();
    }
    EXPECT_TRUE(TMapProbe::IsBobbing(*brief));
    EXPECT_EQ(brief->Update(), 1u);
    EXPECT_TRUE(TMapProbe::IsFading(*brief));
    const float y = Y(*brief);
    for (int i = 0; i < TMapItem::kFadeSteps; ++i) {
        brief->Update();
    }
    EXPECT_TRUE(brief->IsActive());
    EXPECT_EQ(Y(*brief), y);  // fading where it is
    brief->Update();
    EXPECT_FALSE(brief->IsActive());
    for (int i = 0; i < 500; ++i) {
        lasting->Update();
    }
    EXPECT_TRUE(TMapProbe::IsBobbing(*lasting));
    // The brief one could no longer be taken.
    Near();
    EXPECT_EQ(brief->Update(), 1u);
}

TEST_F(Items, ItBobsATenthUpAndDownAHundredStepsEachAndTurns)
{
    auto item = Make(kMoney, kNoFlag, 5);
    const float y = Y(*item);
    D3DXVECTOR3 axis;
    for (int i = 0; i < TMapItem::kBobSteps; ++i) {
        item->Update();
    }
    EXPECT_NEAR(Y(*item), y + 0.1F, 1e-5);
    item->Update();  // the turn-around step
    EXPECT_NEAR(Y(*item), y + 0.1F, 1e-5);
    item->Update();
    EXPECT_NEAR(Y(*item), y + 0.099F, 1e-5);
    TMapProbe::Frame(*item)->GetAxis(&axis, 1);
    const float turned = 0.04F * static_cast<float>(TMapItem::kBobSteps + 2);
    EXPECT_NEAR(std::atan2(-axis.z, axis.x), std::remainder(turned, 6.2831853F), 1e-3);
}

TEST_F(Items, TheShadowLiesOnTheFloorBelowAndThereIsNoneOverEmptySpace)
{
    auto item = Make(kMoney, kNoFlag, 5);
    TFrame* shadow = TMapProbe::ShadowFrame(*item);
    ASSERT_NE(shadow, nullptr);
    EXPECT_EQ(shadow->GetParent(), area_->GetSceneFrame());
    D3DXVECTOR3 p;
    shadow->GetPosition(&p);
    p -= D3DXVECTOR3(kSpot.x, 0.01F, kSpot.z);
    EXPECT_LT(std::fabs(p.x) + std::fabs(p.y) + std::fabs(p.z), 1e-5F);
    TMesh8* mesh = shadow->FindMesh("shadow", false);
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->GetMaterial(0).GetMaterialType(), TMapItem::kShadowMaterial);
    float sphere[5];
    mesh->GetBoundingSphere(sphere, nullptr);
    EXPECT_NEAR(sphere[3], 0.4F * std::sqrt(2.0F), 1e-4);  // 0.8 across, flat

    auto outside = Make(kMoney, kNoFlag, 5, D3DXVECTOR3(-10.0F, 1.0F, -10.0F));
    EXPECT_EQ(TMapProbe::ShadowFrame(*outside), nullptr);
    EXPECT_NE(TMapProbe::Frame(*outside), nullptr);
    outside->Finish();
    item->Finish();
    EXPECT_EQ(shadow->GetParent(), nullptr);
}

TEST_F(Items, TheModelFollowsTheKindAndAWeaponLiesFlatAboutItsMiddle)
{
    std::filesystem::create_directories("data/msh04/wepon");
    qmtest::BoxMesh("blade", 0.05F, 0.5F, 0.02F, 0xFFB0B0C0, 0.5F).Save("data/msh04/wepon/blade.msh");
    const struct {
        std::int32_t id;
        std::uint8_t kind;
        const char* mesh;
    } cases[] = {{kMoney, 0, "item/coin00.msh"},  {1500, 0, "item/hukuro00.msh"}, {1501, 1, "wepon/blade.msh"},
                 {1502, 2, "item/ring00.msh"}, {1503, 3, "item/hukuro00.msh"}, {1504, 255, "item/hukuro00.msh"}};
    for (const auto& c : cases) {
        if (c.id != kMoney) {
            TItemRecord& record = TItemTable::Get(static_cast<std::uint32_t>(c.id));
            record.Kind = c.kind;
            record.MeshName = "blade";
            TWeponTable::Get(static_cast<std::uint32_t>(c.id)).TrailLength = 1.0F;
        }
        EXPECT_EQ(TMapItem::MeshNameOf(c.id), c.mesh) << c.id;
        auto item = Make(c.id, kNoFlag, 1);
        ASSERT_NE(TMapProbe::Mesh(*item), nullptr);
        EXPECT_EQ(TMapProbe::Mesh(*item)->GetName(), "Item");
        ASSERT_NE(TDxProbe::VertexShader(*TMapProbe::Mesh(*item)), nullptr);
        if (c.kind == 1) {
            // Upright from 0 to 1 along its Y in the file; on the ground along Z about its middle.
            float sphere[5];
            TMapProbe::Mesh(*item)->GetBoundingSphere(sphere, nullptr);
            EXPECT_LT(std::fabs(sphere[0]) + std::fabs(sphere[1]) + std::fabs(sphere[2]), 1e-4F);
        }
        item->Finish();
    }
}

// Objects waiting for the player allocate nothing in their steps.
TEST_F(Items, IdleObjectsAllocateNothing)
{
    if (!qmtest::AllocationProbe::Available()) {
        GTEST_SKIP() << "the allocation probe could not hook the allocator";
    }
    Scripts({{"mark", {"CALL @@SendMsg \"Flag\" 1 8 5 1"}}});
    std::vector<std::unique_ptr<TMapObject>> objects;
    objects.push_back(Make(kMoney, kNoFlag, 5));
    objects.push_back(Make(kMoney, 11, 5));
    objects.push_back(std::make_unique<TMapSavePoint>(area_, 1, D3DXVECTOR3(30, 0, 30)));
    objects.push_back(std::make_unique<TMapTriggerBox>(area_, D3DXVECTOR3(30, 0, 30), D3DXVECTOR3(31, 1, 31),
                                                       D3DXVECTOR3(0, 0, 1), D3DXVECTOR3(), D3DXVECTOR3(),
                                                       D3DXVECTOR3(), 0, "map00/town"));
    objects.push_back(std::make_unique<TMapTriggerAction>(area_, D3DXVECTOR3(20, 0, 3), 3.0F, D3DXVECTOR3(),
                                                          D3DXVECTOR3(), D3DXVECTOR3(), 0, "map00/town"));
    objects.push_back(std::make_unique<TMapScriptFacingBox>(area_, D3DXVECTOR3(30, 0, 30), D3DXVECTOR3(31, 1, 31),
                                                            D3DXVECTOR3(0, 0, 1), "obj.pbsc/mark"));
    objects.push_back(std::make_unique<TMapScriptAction>(area_, D3DXVECTOR3(20, 0, 3), 3.0F, "obj.pbsc/mark"));
    objects.push_back(std::make_unique<TMapScriptBox>(area_, D3DXVECTOR3(30, 0, 30), D3DXVECTOR3(31, 1, 31),
                                                      "obj.pbsc/mark"));
    objects.push_back(std::make_unique<TMapDefeatCountScript>(area_, 1, "obj.pbsc/mark"));
    objects.push_back(std::make_unique<TMapDefeatScript>(area_, 3, "obj.pbsc/mark"));
    objects.push_back(std::make_unique<TMapDeathWatch>(area_, "non"));
    for (auto& o : objects) {
        o->Update();  // the first step may settle what it keeps
    }
    long allocations = 0;
    {
        qmtest::AllocationProbe probe;
        for (int step = 0; step < 300; ++step) {
            for (auto& o : objects) {
                EXPECT_EQ(o->Update(), 1u);
            }
        }
        allocations = probe.Allocations();
    }
    EXPECT_EQ(allocations, 0);
    EXPECT_EQ(TGameData::GetInstance()->GetFlag(5), 0);
    for (auto& o : objects) {
        o->Finish();
    }
}

}  // namespace
}  // namespace maptest
