// The level-up banner: "LEVELUP!" and the rows LV, HP, MP, STR, VIT, INT and MEN with what the
// level gave, sliding in one after the other, holding a second and a half and sliding out. One
// per player, started on each level gain.
#pragma once

#include "MainCode/Hud/TRowPopup.h"

class TFieldLoop;

class TLevelUpPopup : public TRowPopup {
public:
    TLevelUpPopup(TFieldLoop* field, TLetterFont* font);

    // Reads the gains of the field's player: they are cleared right after the level gain starts it.
    void Start(float x, float y) override;

private:
    TFieldLoop* m_field;
};
