// Map objects that run a script: spots the player enters, faces or acts at, watchers of defeated
// enemies, and the one watcher per map of the player's death. Each answers the field event code
// of its script run.
#pragma once

#include <cstdint>
#include <string>

#include "MainCode/Map/TMapObject.h"

class TEnemyFactory;

class TMapScriptObject : public TMapObject {
    friend struct TMapProbe;
public:
    TMapScriptObject(TAreaBase* area, const std::string& scriptKey) : TMapObject(area), m_scriptKey(scriptKey) {}

protected:
    std::string m_scriptKey;
};

// Watches the area's enemy registry; an area without one never fires it.
class TMapEnemyWatch : public TMapObject {
    friend struct TMapProbe;
public:
    TMapEnemyWatch(TAreaBase* area, const std::string& scriptKey);

protected:
    std::string m_scriptKey;
    TEnemyFactory* m_enemies;
};

class TMapScriptFacingBox : public TMapScriptObject {
    friend struct TMapProbe;
public:
    TMapScriptFacingBox(TAreaBase* area, const D3DXVECTOR3& minimum, const D3DXVECTOR3& maximum,
                        const D3DXVECTOR3& facing, const std::string& scriptKey);
    // From the 15th consecutive step inside and facing on, the script runs every step.
    std::uint32_t Update() override;

private:
    TFacingBox m_box;
};

class TMapScriptAction : public TMapScriptObject {
public:
    TMapScriptAction(TAreaBase* area, const D3DXVECTOR3& point, float radius, const std::string& scriptKey);
    std::uint32_t Update() override;

private:
    TActionSpot m_spot;
};

class TMapScriptBox : public TMapScriptObject {
public:
    TMapScriptBox(TAreaBase* area, const D3DXVECTOR3& minimum, const D3DXVECTOR3& maximum,
                  const std::string& scriptKey);
    // Every step while the player is inside.
    std::uint32_t Update() override;

private:
    D3DXVECTOR3 m_minimum;
    D3DXVECTOR3 m_maximum;
    D3DXVECTOR3 m_centre;
};

class TMapDefeatCountScript : public TMapEnemyWatch {
public:
    TMapDefeatCountScript(TAreaBase* area, std::uint32_t count, const std::string& scriptKey)
        : TMapEnemyWatch(area, scriptKey), m_count(count) {}
    // Once at least the count of enemies has been defeated, every step.
    std::uint32_t Update() override;

private:
    std::uint32_t m_count;
};

class TMapDefeatScript : public TMapEnemyWatch {
public:
    TMapDefeatScript(TAreaBase* area, std::uint32_t enemyId, const std::string& scriptKey)
        : TMapEnemyWatch(area, scriptKey), m_enemyId(enemyId) {}
    std::uint32_t Update() override;

private:
    std::uint32_t m_enemyId;
};

// The map's object-set name is its key: "non" ends the game at the player's death, any other key
// names the map's own defeat script.
class TMapDeathWatch : public TMapObject {
    friend struct TMapProbe;
public:
    static constexpr const char* kGameOverKey = "non";

    TMapDeathWatch(TAreaBase* area, const std::string& scriptKey) : TMapObject(area), m_scriptKey(scriptKey) {}
    std::uint32_t Update() override;

private:
    std::string m_scriptKey;
};
