// The blows that do more than stagger: the hero's jump attack in the sword's class throws an enemy
// up, and its follow-up strikes it again while it is in the air.
#include "SampleData.h"

namespace sample {

const std::vector<ReactionStrike>& HeroAirStrikes()
{
    // The first air strike (row 35) and its follow-up (row 37) of the sword's class model. Each
    // lands with a hop, which turns an attack pressed meanwhile into the follow-up.
    static const std::vector<ReactionStrike> strikes = {
        {"hero01", 45, Reactions::kAirLaunch},
        {"hero01", 47, Reactions::kAirFollowUp},
    };
    return strikes;
}

void AddReactionContent(Catalogue& c)
{
    // The plain swing, lower and wider, as the hero strikes from above, and lighter: the leaping
    // enemy stands both strikes.
    TAttackRecord launch = qmtest::FieldAttackRecords().at(1);
    launch.Id = Reactions::kAirLaunch;
    launch.Flags = 4;
    launch.Offset[1] = 0.2F;
    launch.Radius = 1.2F;
    launch.DamageFactor = 0.25F;
    launch.KnockTime = 40.0F;
    launch.LaunchSpeed = 0.06F;
    launch.Param8 = 1;
    AddAttack(c, launch);
    TAttackRecord followUp = launch;
    followUp.Id = Reactions::kAirFollowUp;
    followUp.Flags = 2;
    followUp.Param8 = 2;
    AddAttack(c, followUp);
}

}  // namespace sample
