#include "MainCode/Character/TEnemy.h"

#include <cfloat>
#include <cmath>
#include <limits>

#include "MainCode/Character/MersenneTwister.h"
#include "MainCode/Character/TEnemyFactory.h"
#include "MainCode/Character/TEnemyFieldLinks.h"
#include "MainCode/Character/TPlayerCharacter.h"
#include "MainCode/Effect/TEffectManager.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/Hud/TGetRender.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TAttackHit.h"
#include "MainCode/Map/TMapItem.h"
#include "dx/dx8/3d/TD3D8.h"
#include "dx/dx8/3d/TView.h"
#include "dx/dx8/sound/TDSound8.h"
#include "dx/dx8/sound/TSoundBank.h"

namespace {

constexpr std::uint16_t kGroupHealEvent = 50021;
constexpr std::uint32_t kPlainSteal = 100000;
constexpr std::uint32_t kStrongSteal = 100001;
constexpr std::uint32_t kMillion = 1000000;

TSoundBank* Bank(std::uint32_t id)
{
    TDSound8* sound = TDSound8::Instance();
    return sound != nullptr ? sound->GetBank(id) : nullptr;
}

std::string SoundListPath(const std::string& soundName, const char* suffix)
{
    return TGameData::GetTableDirectory() + "char/" + soundName + suffix;
}

// Toward zero, held inside the i32 range.
std::int32_t TruncToInt(double v)
{
    if (!(v > static_cast<double>(std::numeric_limits<std::int32_t>::min()))) {
        return std::numeric_limits<std::int32_t>::min();
    }
    if (v >= static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
        return std::numeric_limits<std::int32_t>::max();
    }
    return static_cast<std::int32_t>(v);
}

// A roll of r mod 1000000 against chance x 1000000.
bool Rolls(float chance)
{
    const std::int64_t limit = TruncToInt(static_cast<double>(chance) * 1000000.0);
    return static_cast<std::int64_t>(genrand_int32() % kMillion) < limit;
}

// Any direction from three draws; straight up if they cancel out.
D3DXVECTOR3 RandomDirection()
{
    D3DXVECTOR3 d;
    d.x = static_cast<float>(static_cast<std::int32_t>(genrand_int32() % 2001) - 1000);
    d.y = static_cast<float>(static_cast<std::int32_t>(genrand_int32() % 2001) - 1000);
    d.z = static_cast<float>(static_cast<std::int32_t>(genrand_int32() % 2001) - 1000);
    if (D3DXVec3LengthSq(&d) == 0.0F) {
        return D3DXVECTOR3(0.0F, 1.0F, 0.0F);
    }
    D3DXVec3Normalize(&d, &d);
    return d;
}

float Distance(const D3DXVECTOR3& a, const D3DXVECTOR3& b)
{
    const D3DXVECTOR3 d = a - b;
    return D3DXVec3Length(&d);
}

D3DXVECTOR3 WorldPosition(const TGameObject* object)
{
    D3DXVECTOR3 p(0.0F, 0.0F, 0.0F);
    object->GetFrame()->GetWorldPosition(&p);
    return p;
}

}  // namespace

TEnemy::TEnemy(const TEnemyRecord& r, std::uint8_t tableFlag)
    : TArmedCharacter(r.id, r.height, r.shadowSize, r.objectFlagA, r.objectFlagB, r.gravity, r.armedByte0,
                      r.armedByte1, r.armedByte2, r.maxHp, r.hp, r.maxMp, r.mp, r.str, r.vit, r.intel, r.men,
                      r.armedStats[0], r.armedStats[1], r.armedStats[2], r.armedStats[3], r.armedStats[4],
                      r.armedStats[5], r.modelName),
      m_tableFlag(tableFlag),
      m_baseLevel(r.level),
      m_level(r.level),
      m_gainFactor(r.gainFactor),
      m_levelWordA(r.levelWordA),
      m_levelWordB(r.levelWordB),
      m_levelWordABase(r.levelWordA),
      m_levelWordBBase(r.levelWordB),
      m_baseStr(r.str),
      m_baseVit(r.vit),
      m_baseInt(r.intel),
      m_baseMen(r.men),
      m_baseMaxHp(r.maxHp),
      m_baseMaxMp(r.maxMp),
      m_levelWordAPerLevel(r.levelWordAPerLevel),
      m_levelWordBPerLevel(r.levelWordBPerLevel),
      m_strGrowth(r.strGrowth),
      m_vitGrowth(r.vitGrowth),
      m_intGrowth(r.intGrowth),
      m_menGrowth(r.menGrowth),
      m_hpGrowth(r.hpGrowth),
      m_lootWord0(r.lootWord0),
      m_money(r.money),
      m_item(r.item),
      m_dropItem(r.dropItem),
      m_itemChance(r.itemChance),
      m_dropChance(r.dropChance),
      m_leashRadius(FLT_MAX),
      m_gaugeSprite(TSprite::FromFile("sprite.ptx/guage08", D3DPOOL_MANAGED, 0)),
      m_barSprite(TSprite::FromFile("sprite.ptx/bar00", D3DPOOL_MANAGED, 0)),
      m_seList(Bank(0), SoundListPath(r.soundName, "_se.tbl")),
      m_voiceList(Bank(1), SoundListPath(r.soundName, "_vc.tbl"))
{
}

TEnemy::TEnemy(const TEnemy& other)
    : TArmedCharacter(other),
      m_tableFlag(other.m_tableFlag),
      m_baseLevel(other.m_level),
      m_level(other.m_level),
      m_gainFactor(other.m_gainFactor),
      m_levelWordA(other.m_levelWordA),
      m_levelWordB(other.m_levelWordB),
      m_levelWordABase(other.m_levelWordA),
      m_levelWordBBase(other.m_levelWordB),
      m_baseStr(other.m_str),
      m_baseVit(other.m_vit),
      m_baseInt(other.m_int),
      m_baseMen(other.m_men),
      m_baseMaxHp(other.m_maxHp),
      m_baseMaxMp(other.m_maxMp),
      m_levelWordAPerLevel(other.m_levelWordAPerLevel),
      m_levelWordBPerLevel(other.m_levelWordBPerLevel),
      m_strGrowth(other.m_strGrowth),
      m_vitGrowth(other.m_vitGrowth),
      m_intGrowth(other.m_intGrowth),
      m_menGrowth(other.m_menGrowth),
      m_hpGrowth(other.m_hpGrowth),
      m_lootWord0(other.m_lootWord0),
      m_money(other.m_money),
      m_item(other.m_item),
      m_dropItem(other.m_dropItem),
      m_itemChance(other.m_itemChance),
      m_dropChance(other.m_dropChance),
      m_leashRadius(other.m_leashRadius),
      m_gaugeSprite(other.m_gaugeSprite),
      m_barSprite(other.m_barSprite),
      m_seList(other.m_seList),
      m_voiceList(other.m_voiceList)
{
}

TEnemy::~TEnemy() = default;

void TEnemy::PlaySound(std::uint32_t id)
{
    if (TSoundBank* bank = m_seList.GetBank()) {
        bank->Play(id);
    }
}

void TEnemy::PlayVoice(std::uint32_t id)
{
    if (m_voiceTimer > 0) {
        return;
    }
    TSoundBank* bank = m_voiceList.GetBank();
    if (bank == nullptr) {
        return;
    }
    m_voiceTimer = TruncToInt(static_cast<double>(bank->GetLength(id)) * 0.0625);
    bank->Play(id);
}

std::uint32_t TEnemy::ReceiveHit(TAttackHit* hit)
{
    const std::uint32_t result = TArmedCharacter::ReceiveHit(hit);
    TrySteal(hit);
    ShowHitCountToPlayer();
    m_gaugeTimer = kGaugeFrames;
    m_thinkTimer = kThinkAfterHit;
    return result;
}

void TEnemy::TakeDamage(std::int32_t damage)
{
    TArmedCharacter::TakeDamage(damage);
    if (TPlayerCharacter* player = m_area != nullptr ? m_area->GetPlayer() : nullptr) {
        player->UpdateBestRecords(this);
    }
}

void TEnemy::ShowHitCountToPlayer()
{
    if (TPlayerCharacter* player = m_area != nullptr ? m_area->GetPlayer() : nullptr) {
        player->ShowHitCount(this);
    }
}

void TEnemy::GetAttackParams(const TAttackRecord& record, TAttackPlacement& out)
{
    out.Position = D3DXVECTOR3(record.Offset[0], record.Offset[1], record.Offset[2]);
    out.BaseDamage = static_cast<std::uint32_t>((record.Flags & 0x100) != 0 ? GetInt() : GetStr());
    switch (record.Placement) {
    case 1: out.Parent = GetLeftWeaponFrame(); break;
    case 2: out.Parent = GetRightWeaponFrame(); break;
    // Kind 0, and anything the tables should not hold, hang on the body.
    default: out.Parent = GetFrame(); break;
    }
}

void TEnemy::OnPatternEvent(const TPatternEvent& frame)
{
    TArmedCharacter::OnPatternEvent(frame);
    if (frame.EventCode != kGroupHealEvent || m_factory == nullptr) {
        return;
    }
    constexpr std::uint32_t kMost = 10;
    std::uint32_t ids[kMost];
    D3DXVECTOR3 centre;
    GetCenterPosition(&centre);
    m_factory->FindEnemiesInRange(centre, 10000.0F, ids, kMost);
    const float colour[4] = {0.8F, 0.8F, 0.5F, 1.0F};
    const float one[3] = {1.0F, 1.0F, 1.0F};
    const float tall[3] = {1.0F, 3.0F, 1.0F};
    const float wide[3] = {2.5F, 2.5F, 2.5F};
    for (std::uint32_t i = 0; i < kMost && ids[i] != 0xFFFFFFFF; ++i) {
        const TRefPtr<TEnemy> enemy = m_factory->GetEnemy(ids[i]);
        if (enemy.Get() == nullptr) {
            continue;
        }
        D3DXVECTOR3 at;
        enemy->GetPosition(&at);
        if (m_effectManager != nullptr) {
            D3DXVECTOR3 up(0.0F, 1.0F, 0.0F);
            m_effectManager->Create(906, &at, &up, m_referenceFrame, m_area, colour, one);
            D3DXVECTOR3 raised = at;
            raised.y += 0.01F;
            m_effectManager->Create(107, &raised, &up, m_referenceFrame, m_area, colour, tall);
            const D3DXVECTOR3 random = RandomDirection();
            m_effectManager->Create(103, &at, &random, m_referenceFrame, m_area, colour, wide);
            D3DXVECTOR3 front;
            enemy->GetFront(&front);
            D3DXVECTOR3 ahead = at + front * 0.8F;
            ahead.y += enemy->GetCenterHeight() * 1.2F;
            m_effectManager->Create(5, &ahead, &front, m_referenceFrame, m_area, colour, one);
        }
        enemy->RecoverHp(600);
        PlaySound(503);
    }
}

void TEnemy::Spawn(TAreaBase* area, const D3DXVECTOR3& position, const D3DXVECTOR3& direction, float leashRadius,
                   std::uint8_t skipAppear)
{
    EnterField(area);
    SetPosition(position);
    if (direction.x == 0.0F && direction.y == 0.0F && direction.z == 0.0F) {
        TGameObject* player = area->GetPlayer();
        if (player != nullptr) {
            m_frame->LookAtFrame(m_frame->GetParent(), player->GetFrame(), TFrame::kLookUpright);
            m_frame->RotateAxis(D3DXVECTOR3(0.0F, 1.0F, 0.0F), 3.14159265F, true);
        }
    } else {
        D3DXVECTOR3 flat(direction.x, 0.0F, direction.z);
        D3DXVec3Normalize(&flat, &flat);
        m_frame->SetDirection(flat, D3DXVECTOR3(0.0F, 1.0F, 0.0F));
    }
    m_leashRadius = leashRadius;
    m_homePosition = position;
    m_gaugeTimer = 0;
    m_barSprite.SetTexCoord(0, 0.375F, 0.75F);
    m_barSprite.SetTexCoord(1, 0.609375F, 0.75F);
    m_barSprite.SetTexCoord(2, 0.375F, 0.875F);
    m_barSprite.SetTexCoord(3, 0.609375F, 0.875F);
    m_view = GetFieldView(area);
    m_alive = 1;
    SetState(skipAppear != 0 ? 0 : 15);
}

void TEnemy::SetLevel(std::int32_t delta)
{
    const std::int32_t level = static_cast<std::int32_t>(static_cast<std::uint32_t>(m_baseLevel) +
                                                         static_cast<std::uint32_t>(delta));
    m_level = level;
    // Wrapping word arithmetic, as the words are plain integers.
    m_levelWordA = static_cast<std::int32_t>(static_cast<std::uint32_t>(m_levelWordAPerLevel) *
                                                 static_cast<std::uint32_t>(level) +
                                             static_cast<std::uint32_t>(m_levelWordABase));
    m_levelWordB = static_cast<std::int32_t>(static_cast<std::uint32_t>(m_levelWordBPerLevel) *
                                                 static_cast<std::uint32_t>(level) +
                                             static_cast<std::uint32_t>(m_levelWordBBase));
    const double f = std::trunc((20.0 + level) * level);
    auto grown = [f](std::int32_t growth, std::int32_t base) {
        return TruncToInt(growth * 0.001 * f + base);
    };
    const std::int32_t hp = grown(m_hpGrowth, m_baseMaxHp);
    m_str = TruncToInt(2.0 * grown(m_strGrowth, m_baseStr));
    m_vit = TruncToInt(2.0 * grown(m_vitGrowth, m_baseVit));
    m_int = TruncToInt(2.0 * grown(m_intGrowth, m_baseInt));
    m_men = TruncToInt(2.0 * grown(m_menGrowth, m_baseMen));
    m_maxHp = hp < kMaxHpCap ? hp : kMaxHpCap;
    m_hp = hp;
}

void TEnemy::DrawGauge()
{
    --m_gaugeTimer;
    if (m_gaugeTimer <= 0 || m_alive == 0) {
        m_gaugeTimer = 0;
        return;
    }
    IDirect3DDevice8* device = TD3D8::GetDevice();
    if (m_view == nullptr || m_bodyMesh == nullptr || device == nullptr) {
        return;
    }
    D3DXMATRIX world;
    m_frame->GetWorldMatrix(&world);
    float sphere[5];
    m_bodyMesh->GetBoundingSphere(sphere, &world);
    if (!m_view->IsSphereVisible(sphere)) {
        return;
    }
    D3DXVECTOR4 clip;
    D3DXVECTOR3 centre(sphere[0], sphere[1], sphere[2]);
    D3DXVec3Transform(&clip, &centre, m_view->GetViewProjection());
    D3DVIEWPORT8 viewport{};
    device->GetViewport(&viewport);
    const float sx = static_cast<float>(viewport.Width) * 0.5F * (clip.x / clip.w + 1.0F);
    const float sy = static_cast<float>(viewport.Height) * 0.5F * (1.0F - clip.y / clip.w);

    // A body without maximum HP shows an empty bar rather than a division by zero.
    float ratio = m_maxHp > 0 ? static_cast<float>(m_hp) / static_cast<float>(m_maxHp) : 0.0F;
    if (ratio < 0.0F) {
        ratio = 0.0F;
    }
    const float u = ratio * 0.234375F + 0.375F;
    m_barSprite.SetTexCoord(1, u, m_barSprite.GetVertex(1).v);
    m_barSprite.SetTexCoord(3, u, m_barSprite.GetVertex(3).v);

    TSprite::SetRenderMode(1);
    const float kx = TSprite::GetScaleX();
    const float ky = TSprite::GetScaleY();
    m_gaugeSprite.Draw(sx, sy, static_cast<float>(m_gaugeSprite.GetWidth()) * kx,
                       static_cast<float>(m_gaugeSprite.GetHeight()) * ky, true);
    m_barSprite.Draw(sx + 2.0F * kx, sy + 2.0F * ky, 60.0F * kx * ratio, 4.0F * ky, true);
}

bool TEnemy::IsOutOfRange()
{
    if (m_state == 15 || m_relatedId >= 10000 || m_area == nullptr || m_area->GetPlayer() == nullptr ||
        m_factory == nullptr) {
        return false;
    }
    return Distance(WorldPosition(m_area->GetPlayer()), WorldPosition(this)) > m_factory->GetSpawnDistance();
}

bool TEnemy::IsOutsideLeash()
{
    D3DXVECTOR3 p;
    GetPosition(&p);
    return Distance(m_homePosition, p) > m_leashRadius;
}

void TEnemy::TrySteal(const TAttackHit* hit)
{
    if (m_stolen != 0) {
        return;
    }
    const auto kind = static_cast<std::uint32_t>(hit->GetParam8());
    double factor = 0.0;
    if (kind == kPlainSteal) {
        factor = 1.0;
    } else if (kind == kStrongSteal) {
        factor = 1.2;
    } else {
        return;
    }
    if (m_hitsTaken == 7) {
        factor *= 3.0;
    } else if (m_hitsTaken >= 10) {
        factor *= 2.0;
    }
    const std::int64_t chance = TruncToInt(factor * m_itemChance * 1000000.0);
    std::int32_t item = 0;
    std::int32_t amount = 0;
    if (m_item != 0 && static_cast<std::int64_t>(genrand_int32() % kMillion) < chance) {
        if (m_item == -1) {
            return;
        }
        item = m_item;
    } else {
        if (m_money == 0 || (genrand_int32() & 1) == 0) {
            return;
        }
        const std::int32_t cap = TruncToInt(m_money * 0.1);
        // Nothing to take from a purse of less than ten (or a debt).
        if (cap <= 0) {
            return;
        }
        amount = static_cast<std::int32_t>(genrand_int32() % static_cast<std::uint32_t>(cap));
        if (amount == 0) {
            return;
        }
    }
    m_stolen = 1;
    if (item != 0) {
        m_item = 0;
    }
    TGameObject* player = m_area != nullptr ? m_area->GetPlayer() : nullptr;
    if (m_effectManager != nullptr) {
        D3DXVECTOR3 centre;
        GetCenterPosition(&centre);
        const D3DXVECTOR3 up(0.0F, 1.0F, 0.0F);
        const float red[4] = {1.0F, 0.2F, 0.3F, 1.0F};
        const float green[4] = {0.2F, 1.0F, 0.5F, 1.0F};
        const float scale[3] = {1.5F, 1.5F, 1.5F};
        m_effectManager->Create(104, &centre, &up, m_referenceFrame, m_area, red, scale);
        if (player != nullptr) {
            D3DXVECTOR3 playerCentre;
            player->GetCenterPosition(&playerCentre);
            m_effectManager->Create(105, &playerCentre, &up, m_referenceFrame, m_area, green, scale);
        }
    }
    if (player != nullptr) {
        player->PlaySound(217);
    }
    TGameData* data = TGameData::GetInstance();
    TGetRender* notices = GetFieldNotices(m_area);
    if (item != 0) {
        if (data != nullptr) {
            data->AddItem(static_cast<std::uint32_t>(item), 1);
        }
        if (notices != nullptr) {
            notices->PushItemSteal(static_cast<std::uint32_t>(item));
        }
    } else {
        if (data != nullptr) {
            data->AddMoney(static_cast<std::uint32_t>(amount));
        }
        if (notices != nullptr) {
            notices->PushBellSteal(static_cast<std::uint32_t>(amount));
        }
    }
}

void TEnemy::DropLoot()
{
    std::int32_t item = 0;
    if (m_dropItem != 0 && Rolls(m_dropChance)) {
        item = m_dropItem;
    } else if (m_item != 0 && Rolls(m_itemChance)) {
        item = m_item;
    }
    if (item == -1) {
        return;
    }
    std::int32_t amount = -1;
    if (item == 0) {
        if (m_money == 0 || (genrand_int32() & 1) != 1) {
            return;
        }
        const double f = 1.0 - static_cast<double>(genrand_int32() % 30) * 0.01;
        const std::uint32_t r = genrand_int32() % 10;
        amount = TruncToInt(static_cast<double>(r) + m_money * f + 1.0);
        item = TMapItem::kMoney;
    }
    if (m_area == nullptr) {
        return;
    }
    D3DXVECTOR3 at;
    GetPosition(&at);
    // Without a pick-up flag: it is not remembered and fades out if nobody takes it.
    m_area->AddObject(TRefPtr<TMapObject>(new TMapItem(m_area, item, TMapItem::kNoFlag, amount, at)));
}

void TEnemy::SpawnStatusEffect()
{
    if (m_effectManager == nullptr) {
        return;
    }
    D3DXVECTOR3 at;
    GetPosition(&at);
    D3DXVECTOR3 facing;
    m_frame->GetAxis(&facing, 3);
    const float colour[4] = {0.6F, 0.6F, 0.9F, 1.0F};
    const float large[3] = {2.5F, 2.5F, 2.5F};
    const float medium[3] = {1.5F, 1.5F, 1.5F};
    const float huge[3] = {6.0F, 6.0F, 6.0F};
    m_effectManager->Create(100, &at, &facing, m_referenceFrame, m_area, colour, large);
    m_effectManager->Create(104, &at, &facing, m_referenceFrame, m_area, colour, medium);
    // The heavy-hit burst.
    D3DXVECTOR3 raised = at;
    raised.y += m_centerHeight * 1.2F;
    const D3DXVECTOR3 random = RandomDirection();
    m_effectManager->Create(101, &raised, &random, m_referenceFrame, m_area, colour, huge);
}
