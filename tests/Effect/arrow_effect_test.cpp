// The arrow: its frame count, kill and finish, clones with vertex data of their own, its materials.
#include <gtest/gtest.h>

#include <memory>

#include "MainCode/Effect/TArrowEffect.h"
#include "effect_fixture.h"
#include "support/effect_probe.h"

namespace effecttest {
namespace {

class ArrowEffectTest : public EffectFolder {
protected:
    void SetUp() override
    {
        EffectFolder::SetUp();
        manager_ = std::make_unique<TEffectManager>();
    }
    void TearDown() override
    {
        manager_.reset();
        scene_ = TRefPtr<TFrame>();
        EffectFolder::TearDown();
    }
    TEffect* Create(std::uint32_t id)
    {
        const D3DXVECTOR3 at(0.0F, 1.0F, 0.0F);
        const D3DXVECTOR3 heading(1.0F, 0.0F, 0.0F);
        const float colour[4] = {0.5F, 0.5F, 0.5F, 0.5F};
        const float scale[3] = {2.0F, 2.0F, 2.0F};
        return manager_->Create(id, &at, &heading, scene_.Get(), nullptr, colour, scale);
    }

    TRefPtr<TFrame> scene_ = Frame("Scene");
    std::unique_ptr<TEffectManager> manager_;
};

TEST_F(ArrowEffectTest, LastsExactlyItsFramesUnlessKilled)
{
    TArrowEffect one(1);
    EXPECT_EQ(UpdatesUntilDone(&one, 5), 1);
    TArrowEffect three(3);
    three.Finish();  // no ending phase: changes nothing
    EXPECT_EQ(UpdatesUntilDone(&three, 5), 3);

    manager_->AddPrototype(1000, TRefPtr<TEffect>(new TArrowEffect(10)));
    manager_->AddPrototype(1001, TRefPtr<TEffect>(new TArrowEffect(27)));
    Create(1000);
    Create(1001);
    for (int frame = 1; frame <= 27; ++frame) {
        manager_->Update();
        EXPECT_EQ(TEffectProbe::LiveCount(*manager_), frame < 10 ? 2u : frame < 27 ? 1u : 0u) << "frame " << frame;
    }
    EXPECT_EQ(scene_->GetChildCount(), 0u);
    // A kill takes it out in the next pass.
    TEffect* arrow = Create(1000);
    manager_->Update();
    arrow->Kill();
    EXPECT_EQ(TEffectProbe::LiveCount(*manager_), 1u);
    manager_->Update();
    EXPECT_EQ(TEffectProbe::LiveCount(*manager_), 0u);
}

TEST_F(ArrowEffectTest, ClonesHaveTheirOwnFrameAndVertexDataAndKeepTheFilesMaterials)
{
    const std::uint16_t fileType = TEffect::LoadMesh("arw00.msh").GetMaterial(0).GetMaterialType();
    ASSERT_NE(fileType, TMeshMaterial::kAdd);
    TRefPtr<TEffect> prototype(new TArrowEffect(10));
    manager_->AddPrototype(1000, prototype);
    TEffect* a = Create(1000);
    TEffect* b = Create(1000);
    for (TEffect* e : {prototype.Get(), a, b}) {
        EXPECT_EQ(e->GetFrame()->GetName(), "arrow");
        ASSERT_EQ(e->GetFrame()->GetMeshCount(), 1u);
        EXPECT_EQ(e->GetFrame()->GetMesh(0)->GetName(), "arrow");
    }
    TMesh8* protoMesh = prototype->GetFrame()->GetMesh(0);
    TMesh8* meshA = a->GetFrame()->GetMesh(0);
    TMesh8* meshB = b->GetFrame()->GetMesh(0);
    EXPECT_NE(meshA->GetGeometry(), protoMesh->GetGeometry());
    EXPECT_NE(meshA->GetGeometry(), meshB->GetGeometry());
    EXPECT_EQ(meshA->GetMaterial(0).GetMaterialType(), fileType);
    EXPECT_EQ(meshA->GetMaterial(0).GetMaterial().Emissive.r, 0.6F);
    EXPECT_EQ(meshA->GetMaterial(0).GetMaterial().Emissive.g, 0.5F);
    // Writing a clone's vertices leaves the prototype and the other clone as they were.
    auto* v = static_cast<float*>(meshA->LockVertices(0));
    ASSERT_NE(v, nullptr);
    v[0] = 9.0F;
    meshA->UnlockVertices(0, false);
    for (TMesh8* other : {protoMesh, meshB}) {
        EXPECT_EQ(static_cast<const float*>(other->LockVerticesReadOnly(0))[0], 0.0F);
        other->UnlockVertices(0, false);
    }
}

}  // namespace
}  // namespace effecttest
