#include "MainCode/Character/TStandInHero.h"

#include "MainCode/GameData/TCharacterRecord.h"

TStandInHero::TStandInHero(TFieldLoop* field, std::uint32_t characterIndex, const TCharacterRecord& record,
                           const std::string& className, const std::string& model)
    : TPlayerCharacter(characterIndex, 0xFFFFFFFFu, 0.7F, 1.0F, 1, 1, -0.01F, 1, 1, 1, record.LifeMax, record.Life,
                       record.MpMax, record.Mp, record.Stat[0], record.Stat[1], record.Stat[2], record.Stat[3],
                       record.ElementValue[0], record.ElementValue[1], record.ElementValue[2],
                       record.ElementValue[3], record.ElementValue[4], record.ElementValue[5], model, record.Level,
                       record.Experience, static_cast<std::uint32_t>(record.GaugeUsed),
                       static_cast<std::uint32_t>(record.GaugeMax), static_cast<std::int32_t>(record.StateWord[0]),
                       static_cast<std::int32_t>(record.StateWord[1]), static_cast<std::int32_t>(record.StateWord[2]),
                       static_cast<std::int32_t>(record.StateWord[3]), static_cast<std::int32_t>(record.StateWord[4]),
                       static_cast<std::int32_t>(record.StateWord[5]), 10, 10, field),
      m_className(className)
{
    SetState(kStateIdle);
    Equip(record.WeaponId);
    SetEquipItem(record.Accessory1Id, 'A');
    SetEquipItem(record.Accessory2Id, 'B');
}

std::uint32_t TStandInHero::SetState(std::uint32_t state)
{
    if (state <= 3) {
        m_moveLevel = state;
    }
    TGameObject::SetState(state);
    m_bodyMesh->SetMorph(state);
    return state;
}

void TStandInHero::SetSubState(std::uint32_t action)
{
    SetState(kStateAction);
    m_subState = action;
    if (const SharedSubState* shared = FindSharedSubStateByRow(action)) {
        m_bodyMesh->SetMorph(shared->Motion);
    }
}

void TStandInHero::OnHitDelivered(TArmedCharacter* victim, std::int32_t value, std::int32_t damage,
                                  std::uint8_t flag)
{
    OnHitLanded(victim, value, damage, flag);
}

bool TStandInHero::RunStateHandler()
{
    if (m_state < kStateAction) {
        return (this->*s_sharedStates[m_state])();
    }
    if (m_state == kStateAction) {
        if (const SharedSubState* shared = FindSharedSubStateByRow(m_subState)) {
            return (this->*shared->Handler)();
        }
        SetState(kStateIdle);
    }
    return false;
}

bool TStandInHero::UpdateInTown()
{
    UpdatePopups();
    DetectDoubleTap();
    CheckFall();
    TryJump();
    ProcessPatternFrame();
    RunStateHandler();
    if (m_statusPanel != nullptr) {
        m_statusPanel->Update(this);
    }
    if (m_skillGauge != nullptr) {
        m_skillGauge->HandleInput(this);
    }
    m_statusIcons.Update(this, m_referenceFrame, m_cameraFrame);
    if (m_getRender != nullptr) {
        m_getRender->Update();
    }
    TickStatusTimers();
    return true;
}

bool FindPlayerClass(std::uint32_t characterIndex, std::int32_t weaponType, std::string& className,
                     std::string& model)
{
    struct Row {
        const char* className;
        const char* model;  // empty: the class's own
    };
    static const Row kHero[12] = {
        {"THeroA", "hero01"}, {"THeroB", "hero01"}, {"THeroC", "hero02"}, {nullptr, ""},
        {nullptr, ""},        {"THeroD", ""},       {"THeroE", ""},       {"THeroF", ""},
        {"THeroG", ""},       {nullptr, ""},        {"THeroH", ""},       {nullptr, ""},
    };
    static const Row kHeroine[12] = {
        {"THeroA", "heroine01"}, {"THeroB", "heroine01"}, {"THeroC", "heroine02"}, {"THeroI", ""},
        {"THeroJ", ""},          {nullptr, ""},           {nullptr, ""},           {nullptr, ""},
        {nullptr, ""},           {"THeroK", ""},          {nullptr, ""},           {"THeroine08", ""},
    };
    if (characterIndex > 1 || weaponType < 0 || weaponType > 11) {
        return false;
    }
    const Row& row = (characterIndex == 0 ? kHero : kHeroine)[weaponType];
    if (row.className == nullptr) {
        return false;
    }
    className = row.className;
    model = row.model;
    return true;
}
