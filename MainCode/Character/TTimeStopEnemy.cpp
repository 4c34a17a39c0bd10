#include "MainCode/Character/TTimeStopEnemy.h"

#include <memory>

#include "MainCode/Character/MersenneTwister.h"
#include "MainCode/Character/THeldRandomOffsetMotion.h"
#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/Character/TimeStop.h"
#include "MainCode/Effect/TEffectManager.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TCamera.h"
#include "MainCode/Shot/TShot.h"
#include "dx/dx8/sound/TSoundBank.h"

namespace {

constexpr std::uint32_t kStopSound = 651;
constexpr std::uint32_t kStoppedLoop = 652;
constexpr std::uint8_t kDraws[10] = {1, 1, 1, 1, 1, 1, 1, 2, 2, 2};
constexpr std::uint32_t kFar[10] = {5, 5, 5, 5, 5, 5, 5, 2, 2, 3};
constexpr std::uint32_t kMiddle[10] = {1, 1, 4, 4, 0, 7, 3, 3, 6, 6};
constexpr std::uint32_t kNear[10] = {0, 0, 1, 1, 4, 4, 7, 7, 8, 8};

// Stops a running stop the way the player's hit reception does, sound included.
void EndStop(TSoundBank* bank)
{
    if (!IsTimeStopped()) {
        return;
    }
    SetTimeStop(false, nullptr, nullptr);
    if (bank != nullptr) {
        bank->Stop(kStoppedLoop);
    }
}

void BuildBoard()
{
    if (GetTimeStopBoard().Get() != nullptr) {
        return;
    }
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    TRefPtr<TFrame> board(new TFrame("TimeStop", identity, nullptr));
    TMesh8 mesh = TMesh8::Load("effect/board00.msh");
    mesh.SetEmissive(1.0F, 1.0F, 1.0F, 1.0F, TMesh8::kAllMaterials);
    mesh.SetMaterialType(5000, TMesh8::kAllMaterials);
    const float scale[3] = {1.6F, 1.6F, 1.6F};
    mesh.Scale(scale);
    board->AddMesh(mesh);
    SetTimeStopBoard(board);
}

}  // namespace

const TEnemy::TAttackTable<10> TTimeStopEnemy::s_attacks{static_cast<TEnemy::Routine>(&TTimeStopEnemy::TimeStopAttack)};

TTimeStopEnemy::TTimeStopEnemy(const TEnemyRecord& record, std::uint32_t, std::uint8_t tableFlag, std::uint8_t aura)
    : TUnstaggeredEnemy(record, tableFlag), m_aura(aura)
{
    SetAttackTable(s_attacks.entries, 11);
    SetState(0);
}

TTimeStopEnemy::TTimeStopEnemy(const TTimeStopEnemy& other) : TUnstaggeredEnemy(other), m_aura(other.m_aura)
{
    SetAttackTable(s_attacks.entries, 11);
    EndStop(m_seList.GetBank());
    BuildBoard();
}

TTimeStopEnemy::~TTimeStopEnemy()
{
    EndStop(m_seList.GetBank());
    // Taken down from the camera first, then released through its handle.
    SetTimeStopBoard(TRefPtr<TFrame>());
}

TRefPtr<TEnemy> TTimeStopEnemy::Clone(TEnemyFactory* factory) { return CloneAs<TTimeStopEnemy>(factory); }

bool TTimeStopEnemy::Update()
{
    if (IsTimeStopped() && CountDownTimeStop() == 0) {
        D3DXVECTOR3 at;
        GetPosition(&at);
        TRefPtr<TAttackHit> strike;
        CreateAttackHit(strike, kStrikeCode, m_referenceFrame, &at);
    }
    return UpdateEnemy(m_hp > 0);
}

void TTimeStopEnemy::Think()
{
    --m_thinkTimer;
    if (m_reactionMode != kModeNormal) {
        SetBehaviour0();
        return;
    }
    float distance = 0.0F;
    if (TFrame* target = GetTargetFrame()) {
        D3DXVECTOR3 own;
        D3DXVECTOR3 aim;
        GetPosition(&own);
        target->GetWorldPosition(&aim);
        const D3DXVECTOR3 d = own - aim;
        distance = D3DXVec3Length(&d);
    }
    if (m_state != 16 && m_state != 15 && m_thinkTimer < 1) {
        m_thinkTimer = static_cast<std::int32_t>(m_aura != 0 ? genrand_int32() % 30 : 20 + genrand_int32() % 50);
        if (kDraws[genrand_int32() % 10] == 1) {
            SetBehaviour1();
        } else {
            SetBehaviour2();
        }
        if (IsBehaviour1()) {
            ChooseAttack(distance);
        }
    }
    RunBehaviour();
}

std::uint32_t TTimeStopEnemy::ForcedAttackOdds() const
{
    const bool weak = static_cast<float>(m_hp) < static_cast<float>(m_maxHp) * 0.1F;
    if (m_aura != 0) {
        return weak ? 8 : 15;
    }
    return weak ? 12 : 20;
}

std::uint32_t TTimeStopEnemy::AttackAt(float distance, std::uint32_t draw)
{
    const std::uint32_t i = draw % 10;
    if (distance > 4.0F) {
        return kFar[i];
    }
    // Exactly 4.0 counts as the middle.
    if (distance > 2.0F) {
        return kMiddle[i];
    }
    return kNear[i];
}

void TTimeStopEnemy::ChooseAttack(float distance)
{
    FaceTarget();
    if (!IsTimeStopped() && genrand_int32() % ForcedAttackOdds() == 0) {
        SetSubState(kStopAttack);
        return;
    }
    SetSubState(AttackAt(distance, genrand_int32() % 10));
}

void TTimeStopEnemy::TimeStopAttack()
{
    if (m_bodyMesh->AdvanceMorph(false, 1.0F)) {
        return;
    }
    SetState(0);
    m_thinkTimer = static_cast<std::int32_t>(m_aura != 0 ? 20 + genrand_int32() % 30 : 40 + genrand_int32() % 60);
    Think();
}

void TTimeStopEnemy::OnHitDelivered(TArmedCharacter*, std::int32_t value, std::int32_t, std::uint8_t flag)
{
    if (flag != 0 || value != kStopBlow || m_area == nullptr) {
        return;
    }
    TCamera* camera = m_area->GetCamera();
    SetTimeStop(true, camera != nullptr ? camera->GetFrame() : nullptr, m_area->GetPlayer());
    PlaySound(kStopSound);
    if (TSoundBank* bank = m_seList.GetBank()) {
        bank->PlayLoop(kStoppedLoop);
    }
}

std::uint32_t TTimeStopEnemy::ReceiveHit(TAttackHit* hit) { return ReceiveHitUnturned(hit); }

TEffect* TTimeStopEnemy::GetAuraEffect(std::uint32_t i) const
{
    if (i >= 3 || m_effectManager == nullptr || m_auraSerials[i] < 0) {
        return nullptr;
    }
    return m_effectManager->FindLive(m_auraSerials[i]).Get();
}

void TTimeStopEnemy::AttachToField(TAreaBase* area)
{
    TEnemy::AttachToField(area);
    if (m_aura == 0 || m_effectManager == nullptr) {
        return;
    }
    const TRefPtr<TFrame> frames[3] = {m_frame, m_leftWeapon, m_rightWeapon};
    const D3DXVECTOR3 origin(0.0F, 0.0F, 0.0F);
    const D3DXVECTOR3 up(0.0F, 1.0F, 0.0F);
    const D3DXVECTOR3 lift(0.0F, 0.1F, 0.0F);
    const float colour[4] = {1.0F, 1.0F, 1.0F, 1.0F};
    const float scale[3] = {1.0F, 1.0F, 1.0F};
    for (std::uint32_t i = 0; i < 3; ++i) {
        m_auraSerials[i] = -1;
        auto* shot =
            dynamic_cast<TShot*>(m_effectManager->Create(kAuraEffect, &origin, &up, m_referenceFrame, m_area, colour, scale));
        if (shot == nullptr || frames[i].Get() == nullptr) {
            continue;
        }
        shot->SetFlightFrames(-1);
        shot->SetMotion(std::make_unique<THeldRandomOffsetMotion>(frames[i], lift, lift, 100.0F, 200.0F, 100.0F));
        m_auraSerials[i] = shot->GetSerial();
    }
}

void TTimeStopEnemy::DetachFromField()
{
    for (std::uint32_t i = 0; i < 3; ++i) {
        if (TEffect* effect = GetAuraEffect(i)) {
            effect->Kill();
        }
        m_auraSerials[i] = -1;
    }
    TEnemy::DetachFromField();
}
