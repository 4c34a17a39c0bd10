// Stand-in for the villager until villagers are built: it holds the script key of its record and
// answers the area's questions (talking, a conversation to start, the end of one). It has no body;
// the area moves and shades it through the same calls it will make on the real one.
#pragma once

#include <string>

#include "MainCode/Script/TVillagerInfoModule.h"

class TAreaBase;

class TVillager {
public:
    explicit TVillager(const TVillagerInfo& info) : m_scriptKey(info.scriptKey) {}
    TVillager(const TVillager&) = delete;
    TVillager& operator=(const TVillager&) = delete;
    virtual ~TVillager() = default;

    virtual bool Update() { return true; }
    virtual void AttachToField(TAreaBase* area) { m_area = area; }
    virtual void ApplyVelocity() {}
    virtual void UpdateShadow() {}
    virtual bool IsTalking() const { return m_talking; }
    // True when the player starts a conversation with this villager.
    virtual bool TryTalk()
    {
        if (!m_wantsTalk) {
            return false;
        }
        m_talking = true;
        return true;
    }
    virtual void EndTalk() { m_talking = false; }

    const std::string& GetScriptKey() const { return m_scriptKey; }
    TAreaBase* GetArea() const { return m_area; }
    // The player's talk button is not read by the stand-in; a caller asks for the next conversation.
    void RequestTalk(bool on) { m_wantsTalk = on; }

private:
    std::string m_scriptKey;
    TAreaBase* m_area = nullptr;
    bool m_talking = false;
    bool m_wantsTalk = false;
};
