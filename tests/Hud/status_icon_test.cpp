// The status icons over a player, update by update: where each icon stands on the group's circle,
// how far it has faded in or out, when it joins and when it has left the list, for the cases the
// design names; and the group's place over the character and its turn.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "Character/player_fixture.h"
#include "MainCode/Hud/TStatusIcon.h"
#include "support/character_probe.h"
#include "support/hud_probe.h"

namespace {

using playertest::TestHero;

constexpr float kSin120 = 0.5196152F;  // 0.6 sin 120°

struct Event {
    int update;  // before this update
    int status;  // 0..5 a counter, 6 the timed bonus
    bool on;
};

struct Check {
    int update;  // after this update
    int status;
    bool listed;
    float x, y, z;  // the icon frame's position in the group (not checked when not listed)
    float fade;
};

struct Scenario {
    const char* what;
    std::vector<Event> events;
    std::vector<Check> checks;
    std::vector<int> order;  // the list at the end, by status
};

// The two statuses 3 and 5 at rest on opposite sides, then 4 joins at update 100: all three at
// rest by update 161.
const std::vector<Event> kThreeAtRest = {{1, 3, true}, {1, 5, true}, {100, 4, true}};

const Scenario kScenarios[] = {
    {"one status sits at the centre",
     {{1, 3, true}},
     {{1, 3, true, 0, 0, 0, 0.0F}, {2, 3, true, 0, 0, 0, 0.02F}, {51, 3, true, 0, 0, 0, 1.0F},
      {62, 3, true, 0, 0, 0, 1.0F}, {1, 4, false, 0, 0, 0, 0.0F}},
     {3}},
    {"two stand on opposite sides, flying out of the centre",
     {{1, 3, true}, {1, 5, true}},
     {{2, 3, true, 0, 0, 0, 0.02F}, {32, 3, true, 0, 0, 0.3F, 0.62F}, {32, 5, true, 0, 0, -0.3F, 0.62F},
      {61, 3, true, 0, 0, 0.59F, 1.0F}, {62, 3, true, 0, 0, 0.6F, 1.0F}, {62, 5, true, 0, 0, -0.6F, 1.0F}},
     {3, 5}},
    {"a third re-spaces them to 0, 120 and 240 degrees over 60 updates",
     kThreeAtRest,
     {{131, 3, true, 0, 0, 0.6F, 1.0F}, {131, 5, true, kSin120 * 0.5F, 0, -0.45F, 1.0F},
      {131, 4, true, -kSin120 * 0.5F, 0, -0.15F, 0.62F}, {161, 5, true, kSin120, 0, -0.3F, 1.0F},
      {161, 4, true, -kSin120, 0, -0.3F, 1.0F}},
     {3, 5, 4}},
    {"an ending status rises 2.0 and fades, then leaves; only then are the others re-spaced",
     {{1, 3, true}, {1, 5, true}, {100, 4, true}, {200, 5, false}},
     {{200, 5, true, kSin120, 0, -0.3F, 1.0F}, {201, 5, true, kSin120, 0, -0.3F, 0.98F},
      {231, 5, true, kSin120, 1.0F, -0.3F, 0.38F}, {250, 5, true, kSin120, 1.6333333F, -0.3F, 0.0F},
      {260, 5, true, kSin120, 1.9666667F, -0.3F, 0.0F}, {260, 4, true, -kSin120, 0, -0.3F, 1.0F},
      {261, 5, false, 0, 0, 0, 0.0F}, {262, 4, true, -kSin120, 0, -0.3F, 1.0F},
      {292, 4, true, -kSin120 * 0.5F, 0, -0.45F, 1.0F}, {322, 4, true, 0, 0, -0.6F, 1.0F},
      {322, 3, true, 0, 0, 0.6F, 1.0F}},
     {3, 4}},
    {"a status back while its icon leaves is shown again as it leaves the list",
     {{1, 3, true}, {1, 5, true}, {100, 4, true}, {200, 5, false}, {230, 5, true}},
     {{230, 5, true, kSin120, 0.9666667F, -0.3F, 0.4F}, {260, 5, true, kSin120, 1.9666667F, -0.3F, 0.0F},
      {262, 5, true, 0, 0, 0, 0.02F}, {322, 5, true, -kSin120, 0, -0.3F, 1.0F},
      {322, 4, true, kSin120, 0, -0.3F, 1.0F}},
     {3, 4, 5}},
    {"one arriving as another leaves is shown at once",
     {{1, 3, true}, {1, 5, true}, {100, 4, true}, {200, 5, false}, {261, 0, true}},
     {{260, 0, false, 0, 0, 0, 0.0F}, {262, 0, true, 0, 0, 0, 0.02F}, {322, 0, true, -kSin120, 0, -0.3F, 1.0F},
      {322, 4, true, kSin120, 0, -0.3F, 1.0F}},
     {3, 4, 0}},
    {"statuses are taken in their order: all seven at once",
     {{1, 6, true}, {1, 2, true}, {1, 0, true}, {1, 5, true}, {1, 1, true}, {1, 4, true}, {1, 3, true}},
     {{1, 0, true, 0, 0, 0, 0.0F}},
     {0, 1, 2, 3, 4, 5, 6}},
    {"each status is told by its own test: one a step, out of order, arrive in that order",
     {{1, 5, true}, {2, 1, true}, {3, 3, true}, {4, 0, true}, {5, 6, true}, {6, 2, true}, {7, 4, true}},
     {{1, 5, true, 0, 0, 0, 0.0F}, {1, 1, false, 0, 0, 0, 0.0F}, {7, 4, true, 0, 0, 0, 0.0F}},
     {5, 1, 3, 0, 6, 2, 4}},
};

class StatusIcons : public playertest::PlayerFixture {
protected:
    // The player fixture reads its files from the working folder: loaders a field test of this
    // suite pointed at a game folder look there again.
    void SetUp() override
    {
        TPatternInfo::SetDirectory("");
        TWeponState::SetDirectory("");
        TTexture8::SetDirectory("");
        TFrame::SetDirectory("");
        PlayerFixture::SetUp();
    }
    void Set(TestHero& hero, int status, bool on)
    {
        const std::int32_t n = on ? 1000 : 0;
        switch (status) {
        case 0: hero.GetPoison().Remaining = n; break;
        case 1: hero.GetManaDrain().Remaining = n; break;
        case 2: hero.GetReversedControls().Remaining = n; break;
        case 3: hero.GetAttackSeal().Remaining = n; break;
        case 4: hero.GetSlowness().Remaining = n; break;
        case 5: hero.GetManaSeal().Remaining = n; break;
        default: {
            TTimedFlags* timed = data_->GetTimedFlags(hero.GetCharacterIndex());
            if (on) {
                TRefPtr<TItemMean> effect(new TItemMean());
                effect->Duration = 1000;
                effect->Bonus[2] = 4;
                timed->Set(effect);
            } else {
                timed->Reset();
            }
        }
        }
    }
    static bool Listed(TStatusIcon& icons, int status)
    {
        for (const TRefPtr<TStateIcon>& icon : THudProbe::Shown(icons)) {
            if (THudProbe::Index(*icon) == status) {
                return true;
            }
        }
        return false;
    }
};

TEST_F(StatusIcons, IconsJoinMoveFadeAndLeaveUpdateByUpdate)
{
    for (const Scenario& s : kScenarios) {
        SCOPED_TRACE(s.what);
        std::unique_ptr<TestHero> hero = MakeHero();
        TStatusIcon& icons = TCharacterProbe::StatusIcons(*hero);
        // Idle icons: the move ramp of no steps stands at 0, nothing divided by 0.
        EXPECT_EQ(THudProbe::Move(*THudProbe::Icon(icons, s.order.front())).value, 0.0F);
        int last = 0;
        for (const Check& c : s.checks) {
            last = std::max(last, c.update);
        }
        for (int u = 1; u <= last; ++u) {
            for (const Event& e : s.events) {
                if (e.update == u) {
                    Set(*hero, e.status, e.on);
                }
            }
            icons.Update(hero.get(), nullptr, camera_.Get());
            for (const Check& c : s.checks) {
                if (c.update != u) {
                    continue;
                }
                SCOPED_TRACE(testing::Message() << "update " << u << ", status " << c.status);
                TStateIcon* icon = THudProbe::Icon(icons, c.status);
                ASSERT_EQ(Listed(icons, c.status), c.listed);
                EXPECT_EQ(icon->IsShown(), c.listed);
                EXPECT_NEAR(THudProbe::Fade(*icon).value, c.fade, 1e-5F);
                if (!c.listed) {
                    EXPECT_EQ(THudProbe::Frame(*icon)->GetParent(), nullptr);
                    continue;
                }
                EXPECT_EQ(THudProbe::Frame(*icon)->GetParent(), THudProbe::Root(icons));
                D3DXVECTOR3 p;
                THudProbe::Frame(*icon)->GetPosition(&p);
                EXPECT_NEAR(p.x, c.x, 1e-4F);
                EXPECT_NEAR(p.y, c.y, 1e-4F);
                EXPECT_NEAR(p.z, c.z, 1e-4F);
            }
        }
        std::vector<int> order;
        for (const TRefPtr<TStateIcon>& icon : THudProbe::Shown(icons)) {
            order.push_back(THudProbe::Index(*icon));
        }
        EXPECT_EQ(order, s.order);
        Set(*hero, 6, false);
    }
}

TEST_F(StatusIcons, TheGroupFloatsOverTheCharacterTurningADegreeAnUpdateAndEachIconHasItsMesh)
{
    std::unique_ptr<TestHero> hero = MakeHero();
    hero->PlaceAt(D3DXVECTOR3(3.0F, 0.5F, -2.0F), D3DXVECTOR3(0.0F, 0.0F, -1.0F));
    TStatusIcon& icons = TCharacterProbe::StatusIcons(*hero);
    hero->GetManaSeal().Remaining = 5;  // mana seal: the silence icon
    for (int u = 1; u <= 90; ++u) {
        icons.Update(hero.get(), nullptr, camera_.Get());
    }
    D3DXVECTOR3 root;
    THudProbe::Root(icons)->GetPosition(&root);
    EXPECT_NEAR(root.x, 3.0F, 1e-5F);
    EXPECT_NEAR(root.y, 0.5F + hero->GetCenterHeight() + 1.0F, 1e-5F);
    EXPECT_NEAR(root.z, -2.0F, 1e-5F);
    const D3DXMATRIX* m = THudProbe::Root(icons)->GetMatrix();
    EXPECT_NEAR(std::atan2(-m->_13, m->_11), 90.0F * 0.017453292F, 1e-4F);
    ASSERT_EQ(THudProbe::Shown(icons).size(), 1u);
    EXPECT_EQ(THudProbe::Shown(icons)[0].Get(), THudProbe::Icon(icons, 5));
    const char* names[] = {"poison", "sickness", "confusion", "fear", "slow", "silence", "boost"};
    for (int i = 0; i < TStatusIcon::kIcons; ++i) {
        TFrame* frame = THudProbe::Frame(*THudProbe::Icon(icons, i));
        ASSERT_EQ(frame->GetMeshCount(), 1u) << i;
        EXPECT_EQ(frame->GetMesh(0)->GetName(), names[i]);
    }
    // Shown, the icon's meshes carry the fade as their emissive alpha.
    EXPECT_EQ(THudProbe::Frame(*THudProbe::Icon(icons, 5))->GetMesh(0)->GetMaterial(0).GetMaterial().Emissive.a, 1.0F);
    EXPECT_EQ(THudProbe::Frame(*THudProbe::Icon(icons, 4))->GetMesh(0)->GetMaterial(0).GetMaterial().Emissive.a, 0.0F);
    // The group hangs beside the character, on its frame's parent, while attached.
    TRefPtr<TFrame> scene(new TFrame("scene", IdentityMatrix(), nullptr));
    scene->AddChild(hero->GetFrameRef());
    icons.Attach(hero.get());
    EXPECT_EQ(THudProbe::Root(icons)->GetParent(), scene.Get());
    icons.Detach();
    EXPECT_EQ(THudProbe::Root(icons)->GetParent(), nullptr);
    hero->GetFrame()->Detach();
}

TEST_F(StatusIcons, IconMeshesAreTurnedHalfRoundAndScaledOnce)
{
    // The poison icon's top corner (0, 0.5, 0) and its corner at +x (0.5, 0, 0), as written.
    std::unique_ptr<TestHero> hero = MakeHero();
    TMesh8* mesh = THudProbe::Frame(*THudProbe::Icon(TCharacterProbe::StatusIcons(*hero), 0))->GetMesh(0);
    ASSERT_EQ(mesh->GetFVF(), 0x142u);
    ASSERT_GE(mesh->GetVertexCount(), 2);
    // Position, colour and one texture pair: 6 words a vertex.
    const auto* v = static_cast<const float*>(mesh->LockVerticesReadOnly(0));
    const float top[3] = {v[0], v[1], v[2]};
    const float side[3] = {v[6], v[7], v[8]};
    mesh->UnlockVertices(0, false);
    EXPECT_NEAR(top[0], 0.0F, 1e-6F);
    EXPECT_NEAR(top[1], 0.2F, 1e-6F);
    EXPECT_NEAR(side[0], -0.2F, 1e-6F);
    EXPECT_NEAR(side[1], 0.0F, 1e-6F);
    EXPECT_NEAR(side[2], 0.0F, 1e-6F);
}

}  // namespace
