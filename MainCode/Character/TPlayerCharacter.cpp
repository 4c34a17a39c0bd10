#include "MainCode/Character/TPlayerCharacter.h"

#include <algorithm>

#include "MainCode/Effect/TAfterImage.h"
#include "MainCode/Hud/TLevelUpPopup.h"
#include "MainCode/GameData/TGameData.h"
#include "MainCode/GameData/THrdefTable.h"
#include "MainCode/Hud/TStatusPanel.h"
#include "MainCode/Map/TAreaBase.h"
#include "MainCode/Map/TCamera.h"
#include "TCommon/TByteReader.h"
#include "TCommon/my_error.h"
#include "dx/dx8/sound/ScrambledTable.h"
#include "dx/dx8/sound/TDSound8.h"

namespace {

const char kSourceFile[] = "MainCode/Character/TPlayerCharacter";

TSoundBank* BankOf(std::uint32_t id)
{
    TDSound8* core = TDSound8::Instance();
    return core != nullptr ? core->GetBank(id) : nullptr;
}

// "char/" + the hero definition's model + suffix + ".tbl" in the table folder.
std::string SoundListPath(std::uint32_t characterIndex, const char* suffix)
{
    return TGameData::GetTableDirectory() + "char/" + THrdefTable::Get(characterIndex).ModelName + suffix + ".tbl";
}

// Logged, not thrown: the player plays on with what the table holds.
void LogTableProblem(const std::string& path, const char* what)
{
    my_error::TransactionError(my_error(path + what, kSourceFile, __LINE__));
}

}  // namespace

TPlayerCharacter::TPlayerCharacter(
    std::uint32_t characterIndex, std::uint32_t relatedId, float centerHeight, float shadowSize,
    std::uint8_t shadowVisible, std::uint8_t pushable, float gravity, std::uint8_t acceptsKnockDown,
    std::uint8_t acceptsLaunch, std::uint8_t acceptsStun, std::int32_t maxHp, std::int32_t hp, std::int32_t maxMp,
    std::int32_t mp, std::int32_t str, std::int32_t vit, std::int32_t intel, std::int32_t men, float rate1,
    float rate2, float rate3, float rate4, float rate5, float rate6, const std::string& name, std::uint32_t level,
    std::uint32_t experience, std::uint32_t gaugeUsed, std::uint32_t gaugeMax, std::int32_t poison,
    std::int32_t manaDrain, std::int32_t reversedControls, std::int32_t attackSeal, std::int32_t slowness,
    std::int32_t manaSeal, std::uint32_t extraWord, std::uint32_t commandCapacity, const TPlayerFieldLinks& links)
    : TArmedCharacter(relatedId, centerHeight, shadowSize, shadowVisible, pushable, gravity, acceptsKnockDown,
                      acceptsLaunch, acceptsStun, maxHp, hp, maxMp, mp, str, vit, intel, men, rate1, rate2, rate3,
                      rate4, rate5, rate6, name),
      m_characterIndex(characterIndex),
      m_aimFrame0(new TFrame("enemyTarget0", IdentityMatrix(), nullptr)),
      m_aimFrame1(new TFrame("enemyTarget1", IdentityMatrix(), nullptr)),
      m_gaugeMax(gaugeMax),
      m_gaugeUsed(gaugeUsed),
      m_commandCapacity(commandCapacity),
      m_level(level),
      m_experience(experience),
      m_extraWord(extraWord),
      m_hitPopup(links.letterFont),
      m_levelUpPopup(new TLevelUpPopup(links.field, links.letterFont)),
      m_poison{poison, 0, this},
      m_manaDrain{manaDrain, 0, this},
      m_reversedControls{reversedControls, this},
      m_attackSeal{attackSeal, this},
      m_slowness{slowness, this},
      m_manaSeal{manaSeal, this},
      m_soundList(BankOf(0), SoundListPath(characterIndex, "_se")),
      m_voiceList(BankOf(1), SoundListPath(characterIndex, "_vc")),
      m_weaponModelName(name)
{
    D3DXMatrixIdentity(&m_tapOrientation);
    // A queue of no slots drops every push.
    if (m_commandCapacity != 0) {
        m_commands = new std::uint32_t[m_commandCapacity]();
        m_commandArrayOwned = 1;
    }
    m_attackBuff1.Owner = this;
    m_attackBuff2.Owner = this;

    m_input = links.input;
    m_letterFont = links.letterFont;
    m_statusPanel = links.statusPanel;
    m_itemRing = links.itemRing;
    m_skillGauge = links.skillGauge;
    m_getRender = links.getRender;

    m_aimFrame0->SetPosition(D3DXVECTOR3(0.0F, 0.0F, -0.8F));
    m_aimFrame1->SetPosition(D3DXVECTOR3(0.0F, 0.0F, -1.8F));
    m_frame->AddChild(m_aimFrame0);
    m_frame->AddChild(m_aimFrame1);

    const std::string& folder = TGameData::GetTableDirectory();
    for (auto [file, table] : {std::pair{"ex.tbl", &m_experienceTable}, std::pair{"abp.tbl", &m_abilityPointTable}}) {
        const std::string path = folder + file;
        if (!LoadValueTable(path, *table)) {
            LogTableProblem(path, ": the table could not be read whole");
        } else if (table->size() < kTableSize) {
            LogTableProblem(path, ": the table holds fewer than 201 values");
        }
    }

    TGameData* data = TGameData::GetInstance();
    if (m_skillGauge != nullptr && data != nullptr) {
        m_skillGauge->SetSelection(data->GetGaugeCarry());
    }
}

TPlayerCharacter::~TPlayerCharacter()
{
    TGameData* data = TGameData::GetInstance();
    if (m_skillGauge != nullptr && data != nullptr) {
        data->SetGaugeCarry(m_skillGauge->GetSelection());
    }
    m_statusIcons.Detach();
    m_popups.clear();
    m_gainQueue.clear();
    m_levelUpPopup = TRefPtr<TPopupText>();
    if (m_commandArrayOwned != 0) {
        delete[] m_commands;
    }
    m_commands = nullptr;
    m_aimFrame0->Detach();
    m_aimFrame1->Detach();
    m_targetEnemyId = kNoTarget;
}

bool TPlayerCharacter::LoadValueTable(const std::string& path, std::vector<std::uint32_t>& out)
{
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(path, bytes)) {
        return false;
    }
    // Records are read one by one, so a cut file keeps what came before the cut.
    TByteReader in(bytes, path);
    TableHeader header;
    if (!ReadTableHeader(in, 0, header)) {
        return false;
    }
    for (std::uint32_t i = 0; i < header.recordCount; ++i) {
        std::uint32_t value = 0;
        if (!ReadScrambledDword(in, value)) {
            return false;
        }
        out.push_back(value);
    }
    return true;
}

bool TPlayerCharacter::IsAirborneState() { return m_state == kStateJump || m_state == 13; }

void TPlayerCharacter::AttachToField(TAreaBase* area)
{
    TArmedCharacter::AttachToField(area);
    // The ribbons hold world positions, so they hang under the scene, not under the weapons.
    for (TAfterImage* trail : {m_leftTrail.get(), m_rightTrail.get()}) {
        if (trail != nullptr && m_referenceFrame != nullptr) {
            trail->Attach(m_referenceFrame);
        }
    }
    if (m_statusPanel != nullptr) {
        m_statusPanel->Refresh(this);
    }
    if (m_itemRing != nullptr) {
        m_itemRing->Reset();
    }
    if (m_skillGauge != nullptr) {
        m_skillGauge->Refresh(this);
    }
    m_statusIcons.Attach(this);
    m_saveRequest = 0;
    m_savePointId = -1;
    ResetDash();
    ClearCommandQueue();
    ResetCombatState();
    UpdateWeapons();
    SetState(kStateIdle);
    if (m_camera != nullptr) {
        m_cameraFrame = m_camera->GetFrame();
    }
}

void TPlayerCharacter::DetachFromField()
{
    TArmedCharacter::DetachFromField();
    m_statusIcons.Detach();
    if (m_leftTrail != nullptr) {
        m_leftTrail->Detach();
    }
    if (m_rightTrail != nullptr) {
        m_rightTrail->Detach();
    }
    m_saveRequest = 0;
    m_savePointId = -1;
    m_targetEnemyId = kNoTarget;
}

bool TPlayerCharacter::IsSpecialActionState()
{
    if (m_subState >= 5 && m_subState <= 24) {
        return false;
    }
    return m_state == kStateAction;
}

bool TPlayerCharacter::CanAct() { return m_reactionMode == kModeNormal && m_state != 17 && m_state != 18; }

void TPlayerCharacter::ResetCombatState()
{
    TArmedCharacter::ResetCombatState();
    m_reservedAction = 0;
    m_reservedArgument = 0;
    m_dashFlag = 0;
    SetState(kStateIdle);
}

bool TPlayerCharacter::IsHighAboveGround()
{
    D3DXVECTOR3 centre;
    GetCenterPosition(&centre);
    return centre.y - m_groundHeight > 1.4F;
}

void TPlayerCharacter::GetStateWords(std::uint32_t (&words)[10]) const
{
    const std::int32_t values[6] = {m_poison.Remaining,  m_manaDrain.Remaining, m_reversedControls.Remaining,
                                    m_attackSeal.Remaining, m_slowness.Remaining, m_manaSeal.Remaining};
    for (int i = 0; i < 6; ++i) {
        words[i] = static_cast<std::uint32_t>(std::max(values[i], 0));
    }
}

std::int32_t TPlayerCharacter::GetBaseStat(std::uint32_t i) const
{
    const std::int32_t stats[4] = {m_str, m_vit, m_int, m_men};
    return i < 4 ? stats[i] : 0;
}
