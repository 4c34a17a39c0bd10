// The area of a battle map: the enemy registry, time stop, no script state.
#pragma once

#include "MainCode/Map/TAreaBase.h"

class TBattleArea : public TAreaBase {
public:
    TBattleArea(TMapData& mapData, TFieldLoop* field);
    ~TBattleArea() override;

    bool Update() override;
    void Draw() override;
    void PreparePlayer() override;

private:
    // The attack table's load this area made.
    std::uint32_t m_tableLoad = 0;
};
