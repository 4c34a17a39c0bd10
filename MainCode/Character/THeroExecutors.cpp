// The hero's action executors: each frame of state 19 the running row's kind decides whether the
// action goes on, chains into the next one, takes a reserved charge or skill, or ends.
#include "MainCode/Character/THero.h"

bool THero::RunAction()
{
    if (m_row == nullptr) {
        return false;
    }
    // Starting another action replaces m_row under our feet.
    const THeroRow row = *m_row;
    switch (row.Kind) {
    case THeroKind::None: return false;
    case THeroKind::PatternSkill: return UpdateSkillAction();
    case THeroKind::ChainedPatternSkill: return UpdateChainedSkillAction();
    case THeroKind::Shared: {
        const SharedSubState* shared = FindSharedSubStateByMotion(row.Motion);
        return shared != nullptr ? (this->*shared->Handler)() : false;
    }
    case THeroKind::Recover: return SetStateAtMotionEnd0();
    case THeroKind::RecoverAirborne: return SetStateAtMotionEnd5();
    case THeroKind::Then:
        if (MotionEnded()) {
            StartAction(row.X);
        }
        return true;
    case THeroKind::Chain: return RunChain(row, false, false);
    case THeroKind::FixedChain: return RunChain(row, true, false);
    case THeroKind::FixedChainOrRecover: return RunChain(row, true, true);
    case THeroKind::ChainOrRecover: return RunChain(row, false, true);
    case THeroKind::SkillChain: return RunSkillChain(row);
    case THeroKind::ComboStep: return RunComboStep(row);
    case THeroKind::AirComboStep: return RunAirComboStep(row);
    case THeroKind::StrikeUntilLanding: return RunStrikeUntilLanding(row);
    case THeroKind::Leap: return RunLeap(row);
    case THeroKind::AirStrike: return RunAirStrike(row, false);
    case THeroKind::AirStrikeFollowUp: return RunAirStrike(row, true);
    case THeroKind::SteeredAirStrikeFollowUp: MoveByInput(false); return RunAirStrike(row, true);
    case THeroKind::HoverStrike: return RunHoverStrike(row, false);
    case THeroKind::HoverStrikeWithSkill: return RunHoverStrike(row, true);
    case THeroKind::AirRecovery: return RunAirRecovery();
    case THeroKind::SteeredAirRecovery: MoveByInput(false); return RunAirRecovery();
    case THeroKind::FallingComboStep: return RunFallingComboStep(row);
    case THeroKind::HoverSkillChain: return RunHoverSkillChain(row);
    }
    return false;
}

bool THero::MotionEnded() { return !m_bodyMesh->AdvanceMorph(false, 1.0F); }

void THero::ClearFollowUp()
{
    if (m_def.HasFollowUpFlag) {
        m_followUp = 0;
    }
}

void THero::ToIdle()
{
    ClearCommandQueue();
    SetState(kStateIdle);
}

// Chain (charge action, a/b excluded), fixed chain (Y, nothing excluded); either with idle in place of
// the else action.
bool THero::RunChain(const THeroRow& row, bool fixed, bool recover)
{
    if (!MotionEnded()) {
        return true;
    }
    std::uint32_t n = 0;
    const std::uint32_t kind = TakeReservedAction(&n);
    const bool excluded = !fixed && (n == row.A || n == row.B);
    if (kind == 1) {
        StartAction(fixed ? row.Y : GetChainAction());
    } else if (kind == 2 && UsableOnGround(n) && !excluded) {
        StartAction(n);
    } else if (recover) {
        ToIdle();
    } else {
        StartAction(row.C);
    }
    return true;
}

bool THero::RunSkillChain(const THeroRow& row)
{
    if (!MotionEnded()) {
        return true;
    }
    std::uint32_t n = 0;
    // A charge request is used up here too.
    const std::uint32_t kind = TakeReservedAction(&n);
    StartAction(kind == 2 && UsableOnGround(n) ? n : row.C);
    return true;
}

bool THero::RunComboStep(const THeroRow& row)
{
    if (!MotionEnded()) {
        return true;
    }
    if (PopCommand() == 1) {
        StartAction(row.X);
        return true;
    }
    std::uint32_t n = 0;
    const std::uint32_t kind = TakeReservedAction(&n);
    if (kind == 1) {
        StartAction(row.Y);
    } else if (kind == 2 && UsableOnGround(n)) {
        StartAction(n);
    } else {
        StartAction(row.C);
    }
    return true;
}

bool THero::RunAirComboStep(const THeroRow& row)
{
    if (!MotionEnded()) {
        return true;
    }
    EndAirComboStep(row);
    return true;
}

void THero::EndAirComboStep(const THeroRow& row)
{
    if (PopCommand() == 1) {
        ClearFollowUp();
        StartAction(row.X);
        return;
    }
    std::uint32_t n = 0;
    const std::uint32_t kind = TakeReservedAction(&n);
    if (kind == 1) {
        StartAction(row.Y);
    } else if (kind == 2 && UsableInAir(n) && n != row.A && n != row.B) {
        StartAction(n);
    } else {
        StartAction(row.C);
    }
}

// A jump shot: the hero sinks slowly while it plays.
bool THero::RunFallingComboStep(const THeroRow& row)
{
    if (Land()) {
        ClearCommandQueue();
        return true;
    }
    if (!MotionEnded()) {
        SetVerticalSpeed(-0.01F);
        return true;
    }
    ClearFollowUp();
    EndAirComboStep(row);
    return true;
}

bool THero::RunHoverSkillChain(const THeroRow& row)
{
    if (Land()) {
        ClearCommandQueue();
        return true;
    }
    if (!MotionEnded()) {
        SetVerticalSpeed(0.0F);
        return true;
    }
    std::uint32_t n = 0;
    // A charge request is used up here too.
    const std::uint32_t kind = TakeReservedAction(&n);
    StartAction(kind == 2 && UsableInAir(n) ? n : row.C);
    return true;
}

bool THero::RunStrikeUntilLanding(const THeroRow& row)
{
    // The motion may run out long before the ground comes.
    m_bodyMesh->AdvanceMorph(false, 1.0F);
    if (m_onGround != 0) {
        StartAction(row.X);
    }
    return true;
}

bool THero::RunLeap(const THeroRow& row)
{
    if (!MotionEnded()) {
        return true;
    }
    m_gravity = kJumpGravity;
    SetVerticalSpeed(kJumpSpeed);
    StartAction(row.X);
    return true;
}

bool THero::RunAirStrike(const THeroRow& row, bool followUp)
{
    if (Land()) {
        ClearCommandQueue();
        return true;
    }
    if (!MotionEnded()) {
        return true;
    }
    std::uint32_t n = 0;
    const std::uint32_t kind = TakeReservedAction(&n);
    if (kind == 1) {
        // Too near the ground the charge is lost.
        if (IsHighAboveGround()) {
            StartAction(row.Y);
        }
    } else if (kind == 2 && UsableInAir(n)) {
        StartAction(n);
    } else if (followUp) {
        StartAction(m_followUp != 0 ? row.Q : row.P);
    } else {
        StartAction(row.C);
    }
    ClearFollowUp();
    return true;
}

bool THero::RunHoverStrike(const THeroRow& row, bool takesSkill)
{
    if (Land()) {
        ClearCommandQueue();
        return true;
    }
    if (!MotionEnded()) {
        SetVerticalSpeed(0.0F);
        return true;
    }
    std::uint32_t n = 0;
    const std::uint32_t kind = TakeReservedAction(&n);
    if (kind == 1) {
        if (IsHighAboveGround()) {
            StartAction(row.Y);
        }
        return true;
    }
    StartAction(takesSkill && kind == 2 && UsableInAir(n) ? n : row.C);
    return true;
}

bool THero::RunAirRecovery()
{
    if (Land()) {
        ClearCommandQueue();
        return true;
    }
    if (!MotionEnded()) {
        return true;
    }
    return SetStateAtMotionEnd5();
}
