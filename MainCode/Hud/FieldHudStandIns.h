// Stand-ins for the field HUD until the HUD itself is built: the letter font, status panel, item
// ring, skill gauge, the item-get notice, the status icons and the pop-ups keep what they are told
// and count their calls, and draw nothing. The notice queue is kept so the map-name notice can be
// checked.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TGameObject;
class TFrame;

class TLetterFont {
public:
    explicit TLetterFont(const std::string& sheet) : m_sheet(sheet) {}
    const std::string& GetSheet() const { return m_sheet; }

private:
    std::string m_sheet;
};

class TStatusPanel {
public:
    explicit TStatusPanel(TLetterFont* font) : m_font(font) {}
    void Refresh(TGameObject* character) { m_refreshed = character; ++m_refreshes; }
    void Update(TGameObject*) { ++m_updates; }
    void Draw(float, float) { ++m_draws; }
    TGameObject* GetLastRefreshed() const { return m_refreshed; }
    int GetRefreshCount() const { return m_refreshes; }
    int GetUpdateCount() const { return m_updates; }
    int GetDrawCount() const { return m_draws; }

private:
    TLetterFont* m_font;
    TGameObject* m_refreshed = nullptr;
    int m_refreshes = 0;
    int m_updates = 0;
    int m_draws = 0;
};

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

class TGetRender {
public:
    // Notice kinds.
    static constexpr std::uint32_t kSkill = 2;
    static constexpr std::uint32_t kText = 3;
    static constexpr std::uint32_t kKind4 = 4;
    static constexpr std::uint32_t kItemSteal = 5;
    static constexpr std::uint32_t kBellSteal = 6;

    struct Notice {
        std::uint32_t kind;
        std::uint32_t number;
        std::string text;
    };
    // What happened to the queue, in order: "Clear", "PushKind4", "PushText", "PushSkillGet",
    // "PushItemSteal", "PushBellSteal".
    std::vector<std::string> calls;

    void Clear()
    {
        m_queue.clear();
        calls.emplace_back("Clear");
    }
    void PushKind4(std::uint32_t number)
    {
        m_queue.push_back({kKind4, number, {}});
        calls.emplace_back("PushKind4");
    }
    void PushText(const std::string& text)
    {
        m_queue.push_back({kText, 0, text});
        calls.emplace_back("PushText");
    }
    void PushSkillGet(std::uint32_t skillId)
    {
        m_queue.push_back({kSkill, skillId, {}});
        calls.emplace_back("PushSkillGet");
    }
    void PushItemSteal(std::uint32_t itemId)
    {
        m_queue.push_back({kItemSteal, itemId, {}});
        calls.emplace_back("PushItemSteal");
    }
    void PushBellSteal(std::uint32_t amount)
    {
        m_queue.push_back({kBellSteal, amount, {}});
        calls.emplace_back("PushBellSteal");
    }
    void Update() { ++m_updates; }
    void Draw() { ++m_draws; }
    const std::vector<Notice>& GetQueue() const { return m_queue; }
    int GetUpdateCount() const { return m_updates; }
    int GetDrawCount() const { return m_draws; }

private:
    std::vector<Notice> m_queue;
    int m_updates = 0;
    int m_draws = 0;
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

// The hit-count and damage pop-up.
class THitPopup {
public:
    explicit THitPopup(TLetterFont* font) : m_font(font) {}
    void Show(float, float, std::int32_t, std::int32_t) {}
    void Update() {}
    void Draw() { ++m_draws; }
    int GetDrawCount() const { return m_draws; }

private:
    TLetterFont* m_font;
    int m_draws = 0;
};

// A pop-up of the player's pop-up list.
class TPopup {
public:
    virtual ~TPopup() = default;
    virtual void Show(float, float) {}
    virtual void Update() {}
    virtual bool IsActive() const { return false; }
    virtual void Draw() {}
};

class TLevelUpPopup : public TPopup {
public:
    TLevelUpPopup(void* fieldScene, TLetterFont* font) : m_fieldScene(fieldScene), m_font(font) {}

private:
    void* m_fieldScene;
    TLetterFont* m_font;
};
