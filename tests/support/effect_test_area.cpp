#include "support/effect_test_area.h"

#include "dx/dx8/3d/TMesh8.h"
#include "support/effect_assets.h"
#include "support/ground_writer.h"

namespace qmtest {

namespace {

D3DXMATRIX At(float x, float y, float z)
{
    D3DXMATRIX m;
    return *D3DXMatrixTranslation(&m, x, y, z);
}

}  // namespace

void WriteEffectCharacterFiles(const std::filesystem::path& root, const std::string& name)
{
    const std::filesystem::path meshes = root / TMesh8::GetDirectory();
    std::filesystem::create_directories(meshes / "effect");
    std::filesystem::create_directories(meshes / kEffectCharacterFolder);
    GroundMesh().Floor(-0.5F, -0.5F, 0.5F, 0.5F, 0).File("shadowsrc").Save((meshes / "effect/shadow01_mesh.msh").string());
    EffectQuadMesh(name).Save((meshes / kEffectCharacterFolder / (name + ".tob")).string());
    TGameObject::SetDataFolder(kEffectCharacterFolder);
}

EffectAreaParts::EffectAreaParts()
    : scene(new TFrame("Scene", At(0.0F, 0.0F, 0.0F), nullptr)),
      manager(new TEffectManager()),
      camera(new TFrame("Camera", At(0.0F, 2.0F, -5.0F), nullptr))
{
    scene->AddChild(camera);
}

EffectTestArea::EffectTestArea() : EffectAreaParts(), TAreaBase(scene.Get(), manager.get()) {}

EffectTestArea::~EffectTestArea()
{
    // Effects first: their frames hang under the scene.
    manager.reset();
}

bool EffectTestArea::Update()
{
    manager->Update();
    return true;
}

void EffectTestArea::Add(TGameObject* object)
{
    RegisterObject(object);
    scene->AddChild(object->GetFrameRef());
    object->SetReferenceFrame(scene.Get());
}

void EffectTestArea::Remove(TGameObject* object) { UnregisterObject(object); }

SoundObject::SoundObject(const std::string& name) : TGameObject(0, 1.0F, 1.0F, 0, 0, -0.01F, name) {}

}  // namespace qmtest
