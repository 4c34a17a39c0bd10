// A townsperson: set up by its own short script, it loops its idle motion, and when the player
// stands close in front of it and presses the action button it starts a conversation (its script
// key) and, with face mode 1, turns to the player while it lasts.
#pragma once

#include <cstdint>
#include <string>

#include "MainCode/Character/TGameObject.h"
#include "MainCode/Script/TVillagerInfoModule.h"

class TVillager : public TGameObject {
    friend struct TCharacterProbe;
public:
    static constexpr float kTalkReach = 0.5F;       // beyond both centre heights
    static constexpr float kTalkAngle = 0.5235988F;  // 30 degrees, included
    static constexpr std::uint32_t kFacePlayer = 1;
    static constexpr std::uint32_t kTalkState = 2;

    explicit TVillager(const TVillagerInfo& info);
    ~TVillager() override;

    bool Update() override;
    bool IsAirborneState() override { return false; }
    // Places the frame and turns it to its facing; a villager without one faces a random way into
    // positive x and z.
    void AttachToField(TAreaBase* area) override;
    // States 0 and 1 idle, 2 idles turning toward the player; any other state idles.
    std::uint32_t SetState(std::uint32_t state) override;
    virtual bool TryTalk();
    virtual bool IsTalking() const { return m_talking != 0; }
    virtual void EndTalk();
    virtual void ResetMode() {}

    const std::string& GetScriptKey() const { return m_scriptKey; }

private:
    using Handler = void (TVillager::*)();
    void Idle();
    void TurnToPlayer();

    std::string m_scriptKey;
    D3DXVECTOR3 m_position;
    D3DXVECTOR3 m_facing;
    std::uint32_t m_value2;
    std::uint32_t m_faceMode;
    float m_value6;
    std::uint32_t m_reserved = 0;
    std::uint8_t m_talking = 0;
    Handler m_handler = &TVillager::Idle;
};

// Runs the villager's set-up script on the current script manager until its "VillagerInfo" call
// stops it; false (logged) when the script ends or is cancelled without it.
bool LoadVillagerInfo(TVillagerInfo& info, const std::string& key);
