// Separation looks at nearby pairs only, yet ends exactly where looking at every ordered pair in id
// order ends; and an object standing on its floor is never pushed under it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "MainCode/Map/TCollisionWorld.h"
#include "object_fixture.h"
#include "support/character_probe.h"

namespace objtest {
namespace {

using qmtest::GroundMesh;

class CollisionSeparation : public ObjectFixture {};

D3DXVECTOR3 Centre(const TGameObject* o)
{
    D3DXVECTOR3 p;
    o->GetPosition(&p);
    p.y += o->GetCenterHeight();
    return p;
}

// Every ordered pair, each push seen by the pairs after it: what the world's pass must match.
void SeparateEveryPair(const std::vector<std::unique_ptr<TestObject>>& objects)
{
    for (const auto& a : objects) {
        a->SetNearbyCount(0);
        for (const auto& b : objects) {
            if (a == b) {
                continue;
            }
            const float ra = a->GetCenterHeight();
            const float rb = b->GetCenterHeight();
            const D3DXVECTOR3 v = Centre(a.get()) - Centre(b.get());
            const float dist = D3DXVec3Length(&v);
            if (dist < 4.0F) {
                a->SetNearbyCount(a->GetNearbyCount() + 1);
            }
            if (!(dist < ra + rb) || !(dist > 0.0F)) {
                continue;
            }
            D3DXVECTOR3 dir;
            D3DXVec3Normalize(&dir, &v);
            const float share = a->IsPushable() != 0 && b->IsPushable() != 0 ? 0.5F : 1.0F;
            const D3DXVECTOR3 d = dir * ((ra + rb - dist) * share);
            if (a->IsPushable() != 0) {
                a->Move(d.x, d.y, d.z);
            }
            if (b->IsPushable() != 0) {
                b->Move(-d.x, -d.y, -d.z);
            }
        }
    }
}

// Registers objects of the given sizes at the given places with the world and as a copy for the
// reference, separates both three times and compares every position and count. The number of
// objects that moved.
int SeparateBothWays(const std::vector<float>& radii, const std::vector<std::uint8_t>& pushable,
                     const std::vector<D3DXVECTOR3>& at)
{
    TCollisionWorld world;
    std::vector<std::unique_ptr<TestObject>> seen;
    std::vector<std::unique_ptr<TestObject>> every;
    for (std::size_t i = 0; i < at.size(); ++i) {
        seen.push_back(std::make_unique<TestObject>(radii[i], pushable[i]));
        every.push_back(std::make_unique<TestObject>(radii[i], pushable[i]));
        seen[i]->SetPosition(at[i]);
        every[i]->SetPosition(at[i]);
        world.Register(seen[i].get());
    }
    int pushed = 0;
    for (int round = 0; round < 3; ++round) {
        world.SeparateObjects();
        SeparateEveryPair(every);
        for (std::size_t i = 0; i < at.size(); ++i) {
            const D3DXVECTOR3 p = seen[i]->Position();
            const D3DXVECTOR3 q = every[i]->Position();
            pushed += p != at[i] ? 1 : 0;
            EXPECT_EQ(std::memcmp(&p, &q, sizeof p), 0) << "object " << i << " round " << round;
            EXPECT_EQ(seen[i]->GetNearbyCount(), every[i]->GetNearbyCount()) << "object " << i << " round " << round;
            if (std::memcmp(&p, &q, sizeof p) != 0) {
                return pushed;
            }
        }
    }
    return pushed;
}

// A seeded draw in [0, 1).
struct Draw {
    std::uint32_t state;
    float operator()()
    {
        state = state * 1664525U + 1013904223U;
        return static_cast<float>(state >> 8) / 16777216.0F;
    }
};

struct Layout {
    const char* what;
    int count;
    float spread;       // positions in [0, spread) on x and z, [0, spread / 8) on y
    float bigRadius;    // every seventh object's centre height; the others 0.5..1.0
    float far;          // every fifth object this far off along x (0: none)
};

TEST_F(CollisionSeparation, NearbyPairsEndWhereEveryPairEnds)
{
    const Layout layouts[] = {
        {"spread out", 40, 120.0F, 1.0F, 0.0F},
        {"crowded", 30, 3.0F, 1.0F, 0.0F},
        {"a few large among small", 36, 14.0F, 3.5F, 0.0F},
        {"cell edges and far away", 30, 9.0F, 1.0F, 1.0e11F},
        {"a crowd of a hundred", 100, 22.0F, 1.2F, 0.0F},
    };
    Draw next{12345};
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(layout.what);
        std::vector<float> radii;
        std::vector<std::uint8_t> pushable;
        std::vector<D3DXVECTOR3> at;
        for (int i = 0; i < layout.count; ++i) {
            radii.push_back(i % 7 == 3 ? layout.bigRadius : 0.5F + 0.5F * next());
            pushable.push_back(i % 4 == 2 ? 0 : 1);
            at.emplace_back(next() * layout.spread + (i % 5 == 4 ? layout.far : 0.0F), next() * layout.spread / 8,
                            next() * layout.spread);
        }
        // Two in one place, and one on the far side of a cell's edge from another.
        at[1] = at[0];
        at[3] = at[2] + D3DXVECTOR3(2.0F, 0.0F, 0.0F);
        EXPECT_GT(SeparateBothWays(radii, pushable, at), 0);
    }
}

// Pairs set exactly at the distances where a pair stops counting (4.0), where the square test
// rejects it without a root (4.0 x sqrt(1.01)), at the gathering radius around an object
// (4.5 x sqrt(1.02)) and at the width of a cell (4.545), a float either side of each, along
// each ground axis and the diagonal, in seeded places; their neighbours overlap and push them
// across those lines between the rounds.
TEST_F(CollisionSeparation, PairsAtTheEdgesOfReachEndWhereEveryPairEnds)
{
    const float edges[] = {4.0F, 4.0199502F, 4.5447771F, 4.545F};
    const D3DXVECTOR3 ways[] = {{1.0F, 0.0F, 0.0F}, {0.0F, 0.0F, 1.0F}, {0.70710678F, 0.0F, 0.70710678F}};
    for (const std::uint32_t seed : {7U, 1001U, 65537U}) {
        SCOPED_TRACE(seed);
        Draw next{seed};
        std::vector<float> radii;
        std::vector<std::uint8_t> pushable;
        std::vector<D3DXVECTOR3> at;
        for (const float edge : edges) {
            for (const float distance : {std::nextafter(edge, 0.0F), edge, std::nextafter(edge, 10.0F)}) {
                for (const D3DXVECTOR3& way : ways) {
                    const D3DXVECTOR3 from(next() * 30.0F, 0.0F, next() * 30.0F);
                    at.push_back(from);
                    at.push_back(from + way * distance);
                    // Radius 2.0 on both: touching spheres at 4.0 exactly.
                    radii.insert(radii.end(), {2.0F, 2.0F});
                    pushable.insert(pushable.end(), {1, static_cast<std::uint8_t>(at.size() % 3 != 0)});
                }
            }
        }
        const int pushed = SeparateBothWays(radii, pushable, at);
        EXPECT_GT(pushed, 0);
    }
}

// An object pushed by a neighbour toward one 4.47 away (farther than the count's 4.0, nearer than
// its gathering radius) comes within 4.0 of it in the same pass: 0.48 short of the margin after
// which its neighbours are gathered again. The trio stands at every place across a cell's width,
// facing either way.
TEST_F(CollisionSeparation, AnObjectPushedTowardAFarOneMeetsItInTheSamePass)
{
    std::vector<float> radii;
    std::vector<std::uint8_t> pushable;
    std::vector<D3DXVECTOR3> at;
    for (int place = 0; place < 48; ++place) {
        for (const float way : {1.0F, -1.0F}) {
            const D3DXVECTOR3 a(static_cast<float>(place) * 0.1F, 0.0F, 40.0F * static_cast<float>(at.size()));
            // a first, so that its pass pushes it away from the fixed b (overlap 0.48), then c.
            at.push_back(a);
            at.push_back(a - D3DXVECTOR3(1.52F * way, 0.0F, 0.0F));
            at.push_back(a + D3DXVECTOR3(4.47F * way, 0.0F, 0.0F));
            radii.insert(radii.end(), {1.0F, 1.0F, 1.0F});
            pushable.insert(pushable.end(), {1, 0, 1});
        }
    }
    EXPECT_GT(SeparateBothWays(radii, pushable, at), 0);
}

// The player comes down from a hop right onto an enemy standing on level ground.
TEST_F(CollisionSeparation, AnEnemyLandedOnStaysOnItsFloor)
{
    GroundMesh ground;
    ground.Floor(-10, -10, 10, 10, 0.0F);
    Load(ground.File(), "ground.msh");
    struct Case {
        float playerFeet;  // the player's height above the enemy's feet, straight above it
        float enemyAfter;  // the enemy's height after separation, before the ground pass
    };
    // Centres 0.32 apart: the enemy's half of the first push (0.54) would sink its centre (0.38 up)
    // under the floor, so it keeps its height; the player, pushed up, pushes it once more by 0.27,
    // which leaves its centre above the floor. Centres 0.72 apart: one push of 0.34 leaves the
    // centre above the floor and stands. The ground pass lifts it back in both.
    const Case cases[] = {{-0.3F, -0.29F}, {0.1F, -0.36F}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.playerFeet);
        TCollisionWorld world;
        world.Load("ground.msh", 20.0F, 20.0F);  // one cell holds the whole floor
        TestObject enemy(0.4F, 1);
        world.Register(&enemy);
        enemy.Place(1.0F, -0.02F, 2.0F);  // where a step's gravity leaves it
        world.ResolveGround();
        ASSERT_EQ(enemy.landings, 1);
        enemy.Place(1.0F, -0.02F, 2.0F);
        TestObject player(1.0F, 1);
        world.Register(&player);
        player.Place(1.0F, c.playerFeet, 2.0F);
        world.SeparateObjects();
        EXPECT_NEAR(enemy.Position().y, c.enemyAfter, 1e-5F);
        EXPECT_FLOAT_EQ(enemy.Position().x, 1.0F);
        world.ResolveGround();
        EXPECT_EQ(enemy.Position().y, 0.0F);
        EXPECT_EQ(enemy.landings, 2);
        EXPECT_EQ(TCharacterProbe::GroundHeight(enemy), 0.0F);
    }
}

}  // namespace
}  // namespace objtest
