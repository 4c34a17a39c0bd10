#include "support/effect_test_area.h"

#include "MainCode/Character/Subset/TPatternInfo.h"
#include "MainCode/Character/Subset/TWeponState.h"
#include "dx/dx8/3d/TMesh8.h"
#include "formats/byte_writer.h"
#include "formats/effect_assets.h"
#include "formats/ground_writer.h"
#include "formats/pattern_writer.h"
#include "support/character_probe.h"
#include "support/map_probe.h"

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

    const std::filesystem::path patterns = root / TCharacterProbe::PatternDirectory();
    const std::filesystem::path wepons = root / TCharacterProbe::WeponDirectory();
    std::filesystem::create_directories(patterns);
    std::filesystem::create_directories(wepons);
    SaveBytes((patterns / (name + ".pat")).string(), BuildPatternFile({{TPatternEvent()}}));
    WeponKey key;
    key.firstPosition = D3DXVECTOR3(0.3F, 1.0F, 0.0F);
    key.secondPosition = D3DXVECTOR3(-0.3F, 1.0F, 0.0F);
    SaveBytes((wepons / (name + ".wpm")).string(), BuildWeponStateFile({key}, {{0}}));
}

EffectAreaParts::EffectAreaParts() : scene(new TFrame("Scene", At(0.0F, 0.0F, 0.0F), nullptr)), manager(new TEffectManager())
{
    view.SetProjection(0.5F, 60.0F, 45.0F, 640, 480);
}

EffectTestArea::EffectTestArea()
    : EffectAreaParts(),
      TAreaBase(TAreaLinks{nullptr, nullptr, scene.Get(), manager.get()})
{
    m_camera = TRefPtr<TCamera>(new TCamera(TCamera::kFollowMode, scene.Get(), m_cameraTarget.Get(), &view));
    TFrame* frame = m_camera->GetFrame();
    frame->SetPosition(D3DXVECTOR3(0.0F, 2.0F, -5.0F));
    frame->LookAtPoint(scene.Get(), D3DXVECTOR3(0.0F, 0.5F, 0.0F), TFrame::kLookAim);
    view.SetCamera(frame);
}

// The area clears the lent manager's effects (their frames hang under the scene) before the
// parts it borrowed go.
EffectTestArea::~EffectTestArea() = default;

bool EffectTestArea::Update()
{
    manager->Update();
    return true;
}

void EffectTestArea::Add(TGameObject* object)
{
    RegisterObject(object);
    scene->AddChild(object->GetFrameRef());
    TMapProbe::SetReferenceFrame(*object, scene.Get());
}

void EffectTestArea::Remove(TGameObject* object) { UnregisterObject(object); }

SoundObject::SoundObject(const std::string& name) : TGameObject(0, 1.0F, 1.0F, 0, 0, -0.01F, name) {}

EffectTestCharacter::EffectTestCharacter(const std::string& name)
    : TArmedCharacter(0, 1.0F, 1.0F, 0, 0, -0.01F, 1, 1, 1, 100, 100, 50, 50, 10, 10, 10, 10, 1.0F, 1.0F, 1.0F, 1.0F,
                      1.0F, 1.0F, name)
{
}

void EffectTestCharacter::GetAttackParams(const TAttackRecord& record, TAttackPlacement& out)
{
    m_recordIds.push_back(record.Id);
    out.Parent = GetFrame();
    out.Position = D3DXVECTOR3(record.Offset[0], record.Offset[1], record.Offset[2]);
    out.BaseDamage = record.Placement;
}

std::vector<AttackHitCall> EffectTestCharacter::AttackHits() const
{
    std::vector<AttackHitCall> calls;
    std::size_t i = 0;
    for (const TRefPtr<TAttackHit>& hit : TCharacterProbe::Hits(*this)) {
        AttackHitCall call;
        call.code = i < m_recordIds.size() ? m_recordIds[i] : 0;
        call.parent = TMapProbe::Parent(*hit);
        if (TMapProbe::Frame(*hit) != nullptr) {
            TMapProbe::Frame(*hit)->GetPosition(&call.position);
        }
        calls.push_back(call);
        ++i;
    }
    return calls;
}

}  // namespace qmtest
