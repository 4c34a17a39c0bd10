// Game objects on a device: a shadow mesh and ".tob" bodies written to the test's folder, an area
// with a scene frame, and a test object that records its hooks.
#pragma once

#include <cfloat>
#include <string>
#include <vector>

#include "MainCode/Character/TGameObject.h"
#include "MainCode/Map/TAreaBase.h"
#include "support/ground_fixture.h"

namespace objtest {

class TestObject : public TGameObject {
public:
    TestObject(float centerHeight = 1.0F, std::uint8_t pushable = 1, float gravity = -0.02F,
               const std::string& name = "hero")
        : TGameObject(5, centerHeight, 1.5F, 1, pushable, gravity, name)
    {
    }
    bool Update() override { return true; }
    bool IsAirborneState() override { return airborne; }
    void OnContact() override
    {
        ++contacts;
        TGameObject::OnContact();
    }
    std::uint32_t OnCeilingContact() override
    {
        ++ceilings;
        return TGameObject::OnCeilingContact();
    }
    void OnLanding() override
    {
        ++landings;
        TGameObject::OnLanding();
    }
    void Place(float x, float y, float z) { SetPosition(D3DXVECTOR3(x, y, z)); }
    D3DXVECTOR3 Position() const
    {
        D3DXVECTOR3 p;
        GetPosition(&p);
        return p;
    }
    void SetGravity(float g) { m_gravity = g; }

    bool airborne = false;
    int contacts = 0;
    int ceilings = 0;
    int landings = 0;
};

class TestArea : public TAreaBase {
public:
    explicit TestArea(TFrame* scene) : TAreaBase(TAreaLinks{nullptr, nullptr, scene}) {}
    bool Update() override { return true; }
    void Draw() override {}
    void PreparePlayer() override {}
};

class ObjectFixture : public qmtest::GroundFixture {
protected:
    void SetUp() override
    {
        qmtest::GroundFixture::SetUp();
        TGameObject::SetDataFolder("char04/");
        qmtest::MeshFile shadow = qmtest::GroundMesh().Floor(-0.5F, -0.5F, 0.5F, 0.5F, 0).File("shadowsrc");
        Load(shadow, "effect/shadow01_mesh.msh");
        WriteBody("hero");
        D3DXMATRIX m;
        D3DXMatrixIdentity(&m);
        scene_ = TRefPtr<TFrame>(new TFrame("Scene", m, nullptr));
    }
    void TearDown() override
    {
        TGameObject::SetDataFolder("");
        qmtest::GroundFixture::TearDown();
    }
    void WriteBody(const std::string& name)
    {
        Load(qmtest::GroundMesh().WallZ(0, -0.5F, 0.5F, 0, 2).File("body"), "char04/" + name + ".tob");
    }

    TRefPtr<TFrame> scene_;
};

}  // namespace objtest
