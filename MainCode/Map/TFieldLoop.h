// The field scene as scripts and map changes reach it: its area, the phase it runs, and where a
// map change leads. Only this much of the field exists so far; the rest of the scene (its step,
// draw, player and HUD) and the real map-change phase come with the field itself.
#pragma once

#include <cstdint>
#include <string>

#include "TCommon/TRefPtr.h"
#include "platform/d3dx8/d3dx8.h"

class TAreaBase;
class TGameObject;

// Where a map change leads: the destination map's script name and the start on it.
struct TFieldDestination {
    std::string mapName;
    D3DXVECTOR3 position{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 direction{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 cameraPosition{0.0f, 0.0f, 0.0f};
};

// A phase the field runs instead of its area (fade-in, map change).
class TFieldPhase {
public:
    virtual ~TFieldPhase() = default;
};

// Stand-in for the map-change phase until the field has one: keeps what it was made from.
class TMapChangeRecord : public TFieldPhase {
public:
    TMapChangeRecord(const TFieldDestination& destination, std::uint32_t mode)
        : m_destination(destination), m_mode(mode) {}
    const TFieldDestination& GetDestination() const { return m_destination; }
    std::uint32_t GetMode() const { return m_mode; }

private:
    TFieldDestination m_destination;
    std::uint32_t m_mode;
};

// Mode 0 fades through black, 1 through white; any other mode gives an empty holder.
TRefPtr<TFieldPhase> CreateFieldPhase(const TFieldDestination& destination, std::uint32_t mode);

// Stand-in for the player character's look setter until the player classes exist: records the
// last player and variant asked for.
void SetPlayerLookVariant(TGameObject* player, std::uint32_t variant);
struct TLookVariantRecord {
    TGameObject* player = nullptr;
    std::uint32_t variant = 0;
    std::uint32_t calls = 0;
};
TLookVariantRecord& GetLookVariantRecord();

// Stand-in for the field scene: the area it runs and the phase set on it.
class TFieldLoop {
public:
    explicit TFieldLoop(TAreaBase* area) : m_area(area) {}
    virtual ~TFieldLoop() = default;
    TFieldLoop(const TFieldLoop&) = delete;
    TFieldLoop& operator=(const TFieldLoop&) = delete;

    TAreaBase* GetArea() const { return m_area; }
    // Makes the phase current (an empty holder leaves the current one).
    void SetPhase(const TRefPtr<TFieldPhase>& phase);
    TFieldPhase* GetPhase() const { return m_phase.Get(); }

private:
    TAreaBase* m_area;
    TRefPtr<TFieldPhase> m_phase;
};
