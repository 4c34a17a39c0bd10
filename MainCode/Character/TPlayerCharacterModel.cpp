// The player's town and weapon models, the triangle order of a character mesh, its look, and its
// placement across a change of the played character.
#include <cstring>
#include <vector>

#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/GameData/TCharacterTexture.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/GameData/THrdefTable.h"
#include "MainCode/GameData/TWeponTable.h"
#include "platform/d3dx8/d3dx8core.h"

namespace {

constexpr std::uint16_t kBodyMaterial = 2100;
constexpr float kShadowLift = 0.01F;

// Where a vertex's first texture coordinates lie; -1 unless that set holds a u and a v inside the
// vertex (a one-float set has no v).
int TexCoordOffset(DWORD fvf)
{
    if ((fvf & D3DFVF_TEXCOUNT_MASK) == 0 || ((fvf >> 16) & 3u) == D3DFVF_TEXTUREFORMAT1) {
        return -1;
    }
    const UINT offset = D3DXGetFVFVertexSize(fvf & ~static_cast<DWORD>(D3DFVF_TEXCOUNT_MASK));
    return offset + 2 * sizeof(float) <= D3DXGetFVFVertexSize(fvf) ? static_cast<int>(offset) : -1;
}

}  // namespace

void TPlayerCharacter::MoveUvRegionTrianglesLast(TMesh8& mesh)
{
    const int uvOffset = TexCoordOffset(mesh.GetFVF());
    const std::uint32_t triangles = mesh.GetFaceCount();
    if (uvOffset < 0 || triangles == 0) {
        return;
    }
    const std::uint32_t stride = mesh.GetGeometry()->GetVertexSize();
    const std::uint32_t vertexCount = mesh.GetVertexCount();
    if (static_cast<std::uint32_t>(uvOffset) + 2 * sizeof(float) > stride) {
        return;
    }
    std::vector<std::uint16_t> indices(triangles * 3u);
    std::vector<bool> marked(vertexCount, false);
    const auto* vertices = static_cast<const std::uint8_t*>(mesh.LockVerticesReadOnly(0));
    const std::uint16_t* source = mesh.LockIndicesReadOnly();
    if (vertices != nullptr && source != nullptr) {
        std::memcpy(indices.data(), source, indices.size() * sizeof(std::uint16_t));
        for (std::uint32_t v = 0; v < vertexCount; ++v) {
            float uv[2];
            std::memcpy(uv, vertices + v * stride + uvOffset, sizeof(uv));
            marked[v] = uv[0] > 0.25F && uv[0] < 0.3125F && uv[1] > 0.75F && uv[1] < 0.875F;
        }
    }
    if (source != nullptr) {
        mesh.UnlockIndices();
    }
    if (vertices != nullptr) {
        mesh.UnlockVertices(0, false);
    }
    if (vertices == nullptr || source == nullptr) {
        return;
    }
    // Marked triangles fill the list from its end, the last place first; the others from its start.
    std::vector<std::uint16_t> order(indices.size());
    std::uint32_t front = 0;
    std::uint32_t back = triangles;
    for (std::uint32_t t = 0; t < triangles; ++t) {
        const std::uint16_t* tri = &indices[t * 3u];
        const bool inRegion = (tri[0] < vertexCount && marked[tri[0]]) || (tri[1] < vertexCount && marked[tri[1]]) ||
                              (tri[2] < vertexCount && marked[tri[2]]);
        const std::uint32_t place = inRegion ? --back : front++;
        std::memcpy(&order[place * 3u], tri, 3 * sizeof(std::uint16_t));
    }
    std::uint16_t* target = mesh.LockIndices();
    if (target == nullptr) {
        return;
    }
    std::memcpy(target, order.data(), order.size() * sizeof(std::uint16_t));
    mesh.UnlockIndices();
    mesh.RebuildSubsets();
    SelectCharacterTexture(mesh);
}

TMesh8 LoadCurrentCharacterModel()
{
    const TGameData* data = TGameData::GetInstance();
    const auto index = static_cast<std::uint32_t>(data != nullptr ? data->GetActiveCharacter() : 0);
    return TMesh8::Load(TGameObject::GetDataFolder() + THrdefTable::Get(index).ModelName + ".tob");
}

void TPlayerCharacter::LoadModel(const std::string& modelName)
{
    // Read whole before the old body goes, so a bad file leaves the character as it was.
    TMesh8 body = TMesh8::Load(GetDataFolder() + modelName + ".tob");
    TPatternInfo pattern((modelName + ".pat").c_str());
    const std::string name = m_bodyMesh->GetName();
    MoveUvRegionTrianglesLast(body);
    body.SetName(name);
    body.SetMaterialType(kBodyMaterial, TMesh8::kAllMaterials);
    m_patternInfo = pattern;
    m_frame->RemoveMesh(m_bodyMesh);
    m_frame->AddMesh(body);
    m_bodyMesh = m_frame->FindMesh(name, false);
}

void TPlayerCharacter::LoadTownModel()
{
    if (m_weaponModelLoaded == 0) {
        return;
    }
    LoadModel(THrdefTable::Get(m_characterIndex).ModelName);
    m_weaponModelLoaded = 0;
    m_leftWeapon->ClearMeshes();
    m_rightWeapon->ClearMeshes();
}

void TPlayerCharacter::LoadWeaponModel()
{
    if (m_weaponModelLoaded != 0) {
        return;
    }
    const std::uint32_t weaponId = GetWeaponId();
    const std::uint32_t accessoryA = GetEquipItemId('A');
    const std::uint32_t accessoryB = GetEquipItemId('B');
    const std::int32_t type = TWeponTable::Get(weaponId).Type;
    std::string model = m_weaponModelName;
    if (m_characterIndex <= 1 && type >= 0 && type <= 2) {
        model = std::string(m_characterIndex == 0 ? "hero" : "heroine") + (type == 2 ? "02" : "01");
    }
    LoadModel(model);
    m_weaponModelLoaded = 1;
    Equip(weaponId);
    SetEquipItem(accessoryA, 'A');
    SetEquipItem(accessoryB, 'B');
}

void TPlayerCharacter::SetLookVariant(std::uint32_t variant)
{
    const std::uint8_t value = variant <= 2 ? static_cast<std::uint8_t>(variant) : 0;
    if (TGameData* data = TGameData::GetInstance()) {
        data->SetFlag(m_characterIndex == 0 ? 560 : 561, value);
    }
    SelectCharacterTexture(*m_bodyMesh);
}

void TPlayerCharacter::GetPose(TPlayerPose* out) const
{
    out->matrix = *m_frame->GetMatrix();
    out->motionTime = m_bodyMesh->GetMorphTime();
    out->state = m_state;
    out->gravity = m_gravity;
    out->velocity = m_velocity;
    out->groundHeight = m_groundHeight;
    out->groundNormal = m_groundNormal;
}

void TPlayerCharacter::SetPose(const TPlayerPose& pose)
{
    m_frame->SetMatrix(pose.matrix);
    SetState(pose.state);
    m_bodyMesh->SetMorphTime(pose.motionTime);
    m_gravity = pose.gravity;
    m_velocity = pose.velocity;
    m_groundHeight = pose.groundHeight;
    m_groundNormal = pose.groundNormal;
    UpdateShadow();
    UpdateWeapons();
}

void TPlayerCharacter::PlaceAt(const D3DXVECTOR3& position, const D3DXVECTOR3& direction)
{
    D3DXVECTOR3 up = m_groundNormal;
    if (D3DXVec3Length(&up) < 1e-6F) {
        up = D3DXVECTOR3(0.0F, 1.0F, 0.0F);
    }
    D3DXVec3Normalize(&up, &up);
    // The model looks along its negative Z: z is the direction reversed, made upright to the ground.
    D3DXVECTOR3 z = -direction;
    z -= up * D3DXVec3Dot(&z, &up);
    if (D3DXVec3Length(&z) < 1e-6F) {
        z = D3DXVECTOR3(0.0F, 0.0F, 1.0F);
    }
    D3DXVec3Normalize(&z, &z);
    D3DXVECTOR3 x;
    D3DXVec3Cross(&x, &up, &z);
    m_frame->SetMatrix(D3DXMATRIX(x.x, x.y, x.z, 0.0F, up.x, up.y, up.z, 0.0F, z.x, z.y, z.z, 0.0F, position.x,
                                  position.y, position.z, 1.0F));
    m_shadowFrame->SetPosition(D3DXVECTOR3(position.x, position.y + kShadowLift, position.z));
}

bool TPlayerCharacter::IsDead() const { return m_hp < -25 && m_voiceTimer <= 0; }

void TPlayerCharacter::SnapToShadow()
{
    if (m_floorBelow != 0) {
        return;
    }
    D3DXVECTOR3 shadow;
    m_shadowFrame->GetWorldPosition(&shadow);
    m_groundHeight = shadow.y - kShadowLift;
    m_frame->SetWorldPosition(D3DXVECTOR3(shadow.x, shadow.y - 0.02F, shadow.z));
}
