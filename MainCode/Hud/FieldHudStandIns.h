// Stand-ins for the field HUD until the HUD itself is built: the status panel, item ring, skill
// gauge, the item-get notice, the status icons and the pop-ups keep what they are told and count
// their calls, and draw nothing. The notice queue is kept so the map-name and skill
// notices can be checked; the pop-ups record where they were shown.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TGameObject;
class TFrame;
class TLetterFont;

class TItemRing {
public:
    explicit TItemRing(TLetterFont* font) : m_font(font) {}
    void Update() { ++m_updates; }
    void Reset() {}
    void Draw() { ++m_draws; }
    // True while the open ring takes the input; the stand-in ring is open when told so.
    bool RunState(TGameObject*) { return m_open; }
    void SetOpen(bool open) { m_open = open; }
    int GetUpdateCount() const { return m_updates; }
    int GetDrawCount() const { return m_draws; }

private:
    TLetterFont* m_font;
    int m_updates = 0;
    int m_draws = 0;
    bool m_open = false;
};

class TSkillGauge {
public:
    void Refresh(TGameObject* character) { m_refreshed = character; ++m_refreshes; }
    void Draw(float, float) { ++m_draws; }
    void HandleInput(TGameObject*) { ++m_inputs; }
    std::uint32_t GetSelection() const { return m_selection; }
    void SetSelection(std::uint32_t i) { m_selection = i; }
    TGameObject* GetLastRefreshed() const { return m_refreshed; }
    int GetRefreshCount() const { return m_refreshes; }
    int GetInputCount() const { return m_inputs; }
    int GetDrawCount() const { return m_draws; }

private:
    TGameObject* m_refreshed = nullptr;
    int m_refreshes = 0;
    int m_inputs = 0;
    int m_draws = 0;
    std::uint32_t m_selection = 0;
};

// The icons over a character's head.
class TStatusIcon {
public:
    void Attach(TGameObject* character) { m_attached = character; }
    void Detach() { m_attached = nullptr; }
    void Update(TGameObject*, TFrame*, TFrame*) { ++m_updates; }
    TGameObject* GetAttached() const { return m_attached; }
    int GetUpdateCount() const { return m_updates; }

private:
    TGameObject* m_attached = nullptr;
    int m_updates = 0;
};
