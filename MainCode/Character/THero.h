// The hero engine every hero class runs on: the 20-entry state table (the shared states 0 to 18,
// the action state 19), the action table of the class, the two command maps, the attack and skill
// buttons, the action executors and the hit-landed answer. A class is one constant definition; the
// classes themselves are thin subclasses that hand theirs in.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "MainCode/Character/TPlayerCharacter.h"

// How an action row runs, frame by frame.
enum class THeroKind : std::uint8_t {
    None,                      // row 0: no executor
    PatternSkill,              // row 1: the pattern skill tapped, then row 2
    ChainedPatternSkill,       // row 3: the pattern skill held, then row 4
    Shared,                    // the player's common skill executor playing this motion
    Recover,                   // at the motion's end: idle
    RecoverAirborne,           // at the motion's end: falling
    Then,                      // at the motion's end: X
    Chain,                     // charge -> charge action, usable ground skill but a/b, else c
    FixedChain,                // charge -> Y, usable ground skill, else c
    FixedChainOrRecover,       // as FixedChain, idle in place of c
    ChainOrRecover,            // charge -> charge action, usable ground skill, else idle
    SkillChain,                // usable ground skill, else c
    ComboStep,                 // queued attack -> X, else as FixedChain
    AirComboStep,              // queued attack -> X, charge -> Y, usable air skill but a/b, else c
    StrikeUntilLanding,        // plays until the ground is touched, then X
    Leap,                      // at the motion's end: jump up and X
    AirStrike,                 // landing ends it; charge -> Y when high, usable air skill, else c
    AirStrikeFollowUp,         // as AirStrike, else p (flag clear) or q (flag set)
    SteeredAirStrikeFollowUp,  // as AirStrikeFollowUp, moved by the stick
    HoverStrike,               // held in the air while the motion runs; charge -> Y when high, else c
    HoverStrikeWithSkill,      // as HoverStrike, but a usable air skill starts in place of c
    AirRecovery,               // landing ends it; at the motion's end: falling
    SteeredAirRecovery,        // as AirRecovery, moved by the stick
    FallingComboStep,          // sinks slowly while the motion runs; landing ends it; then as AirComboStep
    HoverSkillChain,           // held in the air while the motion runs; usable air skill, else c
};

// One row of an action table: the motion it plays and its executor with the action numbers it
// goes on to (X next, Y charge, c else, a and b excluded, p and q the air follow-up pair).
struct THeroRow {
    std::uint32_t Motion = 0;
    THeroKind Kind = THeroKind::None;
    std::uint32_t X = 0;
    std::uint32_t Y = 0;
    std::uint32_t C = 0;
    std::uint32_t A = 0;
    std::uint32_t B = 0;
    std::uint32_t P = 0;
    std::uint32_t Q = 0;
};

// A skill id and its actions for a tap and for a hold of the skill button.
struct THeroSkillPair {
    std::uint32_t Id;
    std::uint32_t Tap;
    std::uint32_t Hold;
};

// What the attack button starts outside an action.
struct THeroAttackRows {
    std::uint32_t GroundRelease;
    std::uint32_t DashRelease;
    std::uint32_t AirRelease;
    std::uint32_t GroundHold;
    std::uint32_t DashHold;
    std::uint32_t AirHold;  // only when high above the ground
    bool AirReleaseClearsFlag;
};

enum class THeroHitLanded : std::uint8_t {
    Standard,  // hops on codes 1 to 3, rings on codes 4 and 5
    HopsOnly,  // hops on codes 1 to 3; codes 4 and 5 create nothing
    RingsOnly, // rings on codes 4 and 5; no hop
    Plain,     // the player's own handling alone
};

enum class THeroSkillHold : std::uint8_t {
    Shared,        // the hold starts the held skill
    AirByRecord,   // ground or air from the skill record's SubKind (32..36: air), not from the action
};

struct THeroClassDef {
    std::uint32_t WeaponType;
    std::uint32_t QueueCapacity;
    bool HasFollowUpFlag;
    const THeroRow* Rows;
    std::uint32_t RowCount;
    // Tap pairs go into the tap map first, then the hold pairs into the hold map.
    const THeroSkillPair* Skills;
    std::uint32_t SkillCount;
    const std::uint32_t* AirActions;
    std::uint32_t AirActionCount;
    std::uint32_t ChargeAction;
    THeroAttackRows Attack;
    THeroHitLanded HitLanded;
    THeroSkillHold SkillHold;
};

// The rows 0 to 24 every class shares.
extern const THeroRow g_heroCommonRows[25];
// Skills 1 to 5 in every class's maps.
extern const THeroSkillPair g_heroCommonSkills[5];

class THero : public TPlayerCharacter {
    friend struct TCharacterProbe;
public:
    THero(const TPlayerFieldLinks& links, std::uint32_t characterIndex, const TCharacterRecord& record,
          const std::string& model, const THeroClassDef& def);
    ~THero() override;

    std::uint32_t SetState(std::uint32_t state) override;
    // Starts action n; a number outside the action table is ignored.
    void SetSubState(std::uint32_t n) override { StartAction(n); }
    void StartAction(std::uint32_t n);
    void OnHitDelivered(TArmedCharacter* victim, std::int32_t code, std::int32_t damage, std::uint8_t flag) override;
    bool IsChainBlocked(std::uint32_t n) override { return IsAirAction(n); }
    std::uint32_t GetChainAction() override { return m_def.ChargeAction; }
    std::int32_t GetSkillAction(std::uint32_t skillId, std::uint8_t hold) override;
    void OnAttackHeld() override;
    void OnSkillHeld() override;
    void OnAttackReleased() override;
    void OnSkillReleased() override;
    void OnBothReleased() override {}

    bool IsAirAction(std::uint32_t n) const;

    // The hold threshold of both buttons, in frames counted from the press.
    static constexpr std::uint32_t kHoldFrames = 21;
    static constexpr std::uint32_t kHeldMark = 0xFFFFFFFFu;

protected:
    bool RunStateHandler() override;
    // The executor of the running row, once.
    bool RunAction();
    void BuildCommandMap();
    // The skill of the gauge's selected slot, tapped or held.
    void StartSkill(bool hold);
    std::int32_t StandardHitLanded(TArmedCharacter* victim, std::int32_t code, std::int32_t damage, std::uint8_t flag,
                                   bool hops, bool rings);
    void HitHop(float speed, float forward, bool popCommand);
    void HitRing(TArmedCharacter* victim, std::uint32_t effectId, std::uint32_t duration);

    // The executor kinds.
    bool MotionEnded();
    bool UsableOnGround(std::uint32_t n) const { return n != 0 && !IsAirAction(n); }
    bool UsableInAir(std::uint32_t n) const { return n != 0 && IsAirAction(n); }
    void ClearFollowUp();
    void ToIdle();
    bool RunChain(const THeroRow& row, bool fixed, bool recover);
    bool RunSkillChain(const THeroRow& row);
    bool RunComboStep(const THeroRow& row);
    bool RunAirComboStep(const THeroRow& row);
    // The air combo step's choice at its motion's end.
    void EndAirComboStep(const THeroRow& row);
    bool RunFallingComboStep(const THeroRow& row);
    bool RunHoverSkillChain(const THeroRow& row);
    bool RunStrikeUntilLanding(const THeroRow& row);
    bool RunLeap(const THeroRow& row);
    bool RunAirStrike(const THeroRow& row, bool followUp);
    bool RunHoverStrike(const THeroRow& row, bool takesSkill);
    bool RunAirRecovery();

    const THeroClassDef& m_def;
    std::uint8_t m_followUp = 0;
    std::map<std::uint32_t, std::uint32_t> m_tapMap;
    std::map<std::uint32_t, std::uint32_t> m_holdMap;
    // The running row; null outside an action and in row 0.
    const THeroRow* m_row = nullptr;
};
