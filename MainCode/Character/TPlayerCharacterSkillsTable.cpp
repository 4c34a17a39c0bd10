// The pattern-id table: every common skill id 100..159 in its tapped and charged form, each a
// routine with its constants bound. Ids ending in 7, 8 or 9 only play their motion.
#include "MainCode/Character/TPlayerCharacter.h"

namespace {

using P = TPlayerCharacter;

template <auto Routine, auto... Args>
constexpr P::PatternAction Bind = &P::BoundAction<Routine, Args...>;

constexpr P::PatternAction kMotionOnly = &P::PlayMotionOnly;

constexpr std::uint32_t kFirstId = 100;
constexpr std::uint32_t kLastId = 159;

struct PatternRow {
    P::PatternAction tapped;
    P::PatternAction charged;
};

// 103 fires the event of 102's slot and 105 is charged in both forms: both as the skills were made.
const PatternRow kPatternRows[kLastId - kFirstId + 1] = {
    /* 100 */ {Bind<&P::FireSkillEvent, 10000u, 12u>,
              Bind<&P::FireSkillEvent, 11000u, 22u>},
    /* 101 */ {Bind<&P::FireSkillEventRepeat, 10001u, 20u, 8u, 3u, false>,
              Bind<&P::FireSkillEventRepeat, 11001u, 37u, 10u, 4u, true>},
    /* 102 */ {Bind<&P::SkillLineBurst, 35u, 8u, 3u, false>,
              Bind<&P::SkillLineBurst, 65u, 8u, 5u, true>},
    /* 103 */ {Bind<&P::FireSkillEvent, 10002u, 50u>,
              Bind<&P::FireSkillEvent, 11002u, 90u>},
    /* 104 */ {Bind<&P::FireSkillEvent, 10004u, 75u>,
              Bind<&P::FireSkillEvent, 11004u, 140u>},
    /* 105 */ {Bind<&P::SkillRain, 95u, 20u, 5u, true, 10005u>,
              Bind<&P::SkillRain, 175u, 20u, 8u, true, 10005u>},
    /* 106 */ {Bind<&P::FireSkillEvent, 10006u, 65u>,
              Bind<&P::SkillRain, 125u, 20u, 8u, true, 10006u>},
    /* 107 */ {kMotionOnly, kMotionOnly},
    /* 108 */ {kMotionOnly, kMotionOnly},
    /* 109 */ {kMotionOnly, kMotionOnly},
    /* 110 */ {Bind<&P::FireSkillEvent, 10010u, 12u>,
              Bind<&P::FireSkillEvent, 11010u, 22u>},
    /* 111 */ {Bind<&P::FireSkillEvent, 10011u, 20u>,
              Bind<&P::FireSkillEvent, 11011u, 37u>},
    /* 112 */ {Bind<&P::FireSkillEvent, 10012u, 35u>,
              Bind<&P::FireSkillEvent, 11012u, 65u>},
    /* 113 */ {Bind<&P::FireSkillEvent, 10013u, 50u>,
              Bind<&P::FireSkillEvent, 11013u, 90u>},
    /* 114 */ {Bind<&P::SkillTwinFan, 75u, 5u, 10u, false>,
              Bind<&P::SkillTwinFan, 140u, 4u, 10u, true>},
    /* 115 */ {Bind<&P::SkillHoming, 95u, 5u, 10u, false, 10015u>,
              Bind<&P::SkillHoming, 175u, 4u, 10u, true, 10015u>},
    /* 116 */ {Bind<&P::FireSkillEvent, 10016u, 65u>,
              Bind<&P::SkillHoming, 125u, 4u, 10u, true, 10016u>},
    /* 117 */ {kMotionOnly, kMotionOnly},
    /* 118 */ {kMotionOnly, kMotionOnly},
    /* 119 */ {kMotionOnly, kMotionOnly},
    /* 120 */ {Bind<&P::FireSkillEvent, 10020u, 12u>,
              Bind<&P::FireSkillEvent, 11020u, 22u>},
    /* 121 */ {Bind<&P::FireSkillEventRepeat, 10021u, 20u, 2u, 4u, false>,
              Bind<&P::FireSkillEventRepeat, 11021u, 37u, 2u, 6u, true>},
    /* 122 */ {Bind<&P::FireSkillEvent, 10022u, 35u>,
              Bind<&P::FireSkillEvent, 11022u, 65u>},
    /* 123 */ {Bind<&P::FireSkillEvent, 10023u, 50u>,
              Bind<&P::FireSkillEvent, 11023u, 90u>},
    /* 124 */ {Bind<&P::FireSkillEvent, 10024u, 75u>,
              Bind<&P::FireSkillEvent, 11024u, 140u>},
    /* 125 */ {Bind<&P::FireSkillEvent, 10025u, 95u>,
              Bind<&P::FireSkillEvent, 11025u, 175u>},
    /* 126 */ {Bind<&P::FireSkillEvent, 10026u, 65u>,
              Bind<&P::FireSkillEvent, 11026u, 125u>},
    /* 127 */ {kMotionOnly, kMotionOnly},
    /* 128 */ {kMotionOnly, kMotionOnly},
    /* 129 */ {kMotionOnly, kMotionOnly},
    /* 130 */ {Bind<&P::FireSkillEvent, 10030u, 12u>,
              Bind<&P::FireSkillEvent, 11030u, 22u>},
    /* 131 */ {Bind<&P::FireSkillEvent, 10031u, 20u>,
              Bind<&P::FireSkillEvent, 11031u, 37u>},
    /* 132 */ {Bind<&P::FireSkillEvent, 10032u, 35u>,
              Bind<&P::FireSkillEvent, 11032u, 65u>},
    /* 133 */ {Bind<&P::FireSkillEvent, 10033u, 50u>,
              Bind<&P::FireSkillEvent, 11033u, 90u>},
    /* 134 */ {Bind<&P::FireSkillEvent, 10034u, 75u>,
              Bind<&P::SkillPathFan, 140u, 30u, 11034u>},
    /* 135 */ {Bind<&P::SkillPathBurst, 95u, 10u, 3u, false, 10035u>,
              Bind<&P::SkillPathBurst, 175u, 10u, 5u, true, 10035u>},
    /* 136 */ {Bind<&P::FireSkillEvent, 10036u, 65u>,
              Bind<&P::SkillPathBurst, 125u, 10u, 5u, true, 10036u>},
    /* 137 */ {kMotionOnly, kMotionOnly},
    /* 138 */ {kMotionOnly, kMotionOnly},
    /* 139 */ {kMotionOnly, kMotionOnly},
    /* 140 */ {Bind<&P::FireSkillEvent, 10040u, 25u>,
              Bind<&P::FireSkillEvent, 11040u, 45u>},
    /* 141 */ {Bind<&P::FireSkillEvent, 10041u, 40u>,
              Bind<&P::FireSkillEvent, 11041u, 75u>},
    /* 142 */ {Bind<&P::FireSkillEvent, 10042u, 70u>,
              Bind<&P::FireSkillEvent, 11042u, 130u>},
    /* 143 */ {Bind<&P::FireSkillEvent, 10043u, 100u>,
              Bind<&P::FireSkillEvent, 11043u, 180u>},
    /* 144 */ {Bind<&P::SkillHeal, 150u, 5u, 5u, false>,
              Bind<&P::SkillHeal, 280u, 5u, 5u, true>},
    /* 145 */ {Bind<&P::SkillBlessing, 190u, 5u, 5u, false, 10045u>,
              Bind<&P::SkillBlessing, 350u, 5u, 5u, true, 10045u>},
    /* 146 */ {Bind<&P::FireSkillEvent, 10046u, 130u>,
              Bind<&P::SkillBlessing, 250u, 5u, 5u, true, 10046u>},
    /* 147 */ {kMotionOnly, kMotionOnly},
    /* 148 */ {kMotionOnly, kMotionOnly},
    /* 149 */ {kMotionOnly, kMotionOnly},
    /* 150 */ {Bind<&P::FireSkillEvent, 10050u, 12u>,
              Bind<&P::FireSkillEvent, 11050u, 22u>},
    /* 151 */ {Bind<&P::FireSkillEvent, 10051u, 20u>,
              Bind<&P::FireSkillEvent, 11051u, 37u>},
    /* 152 */ {Bind<&P::SkillLineBlast, 35u, 8u, 3u, false>,
              Bind<&P::SkillLineBlast, 65u, 8u, 5u, true>},
    /* 153 */ {Bind<&P::FireSkillEvent, 10053u, 50u>,
              Bind<&P::FireSkillEvent, 11053u, 90u>},
    /* 154 */ {Bind<&P::SkillLineQuake, 75u, 10u, 3u, false>,
              Bind<&P::SkillLineQuake, 140u, 8u, 5u, true>},
    /* 155 */ {Bind<&P::SkillRandomQuake, 95u, 20u, 4u, false, 10055u>,
              Bind<&P::SkillRandomQuake, 175u, 20u, 6u, true, 10055u>},
    /* 156 */ {Bind<&P::FireSkillEvent, 10056u, 65u>,
              Bind<&P::SkillRandomQuake, 125u, 20u, 6u, true, 10056u>},
    /* 157 */ {kMotionOnly, kMotionOnly},
    /* 158 */ {kMotionOnly, kMotionOnly},
    /* 159 */ {kMotionOnly, kMotionOnly},
};

}  // namespace

TPlayerCharacter::PatternAction TPlayerCharacter::GetPatternFunc(std::uint32_t patternId, std::uint8_t flag) const
{
    if (patternId < kFirstId || patternId > kLastId) {
        return nullptr;
    }
    const PatternRow& row = kPatternRows[patternId - kFirstId];
    return flag != 0 ? row.charged : row.tapped;
}
