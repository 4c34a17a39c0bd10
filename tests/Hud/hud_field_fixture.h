// The HUD of a real field: the application on a generated field folder, the battle map past its
// fade, its player, and the effect-bank plays recorded by the scene driver.
#pragma once

#include "Field/field_game_fixture.h"

namespace hudtest {

class HudField : public fieldtest::FieldGame {
protected:
    void SetUp() override
    {
        FieldGame::SetUp();
        Start();
        Steps(8);
        field_ = Ready("battle");
        ASSERT_NE(field_, nullptr);
        player_ = field_->GetPlayer();
    }
    // How often the sound id was played on the effect bank while recording.
    int Plays(std::uint32_t id) const
    {
        int n = 0;
        for (const TSoundBankRecord& r : driver_.sounds) {
            n += r.op == TSoundBankRecord::kPlay && r.bank == 0 && r.id == id ? 1 : 0;
        }
        return n;
    }

    TFieldLoop* field_ = nullptr;
    TPlayerCharacter* player_ = nullptr;
};

}  // namespace hudtest
