// Stand-ins for the field HUD until the HUD itself is built: the status panel, the item-get
// notice and the pop-ups keep what they are told and count their calls, and draw nothing. The
// notice queue is kept so the map-name and skill notices can be checked; the pop-ups record where
// they were shown.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TGameObject;
class TFrame;
class TLetterFont;

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

class TGetRender {
public:
    // Notice kinds.
    static constexpr std::uint32_t kSkill = 2;
    static constexpr std::uint32_t kText = 3;
    static constexpr std::uint32_t kKind4 = 4;
    static constexpr std::uint32_t kItemSteal = 5;
    static constexpr std::uint32_t kBellSteal = 6;
    static constexpr std::uint32_t kItem = 1;
    static constexpr std::uint32_t kBell = 7;

    struct Notice {
        std::uint32_t kind;
        std::uint32_t number;
        std::string text;
    };
    // What happened to the queue, in order: "Clear", "PushKind4", "PushText", "PushSkillGet",
    // "PushItemSteal", "PushBellSteal", "PushItemGet", "PushBellGet".
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
    void PushItemGet(std::uint32_t itemId)
    {
        m_queue.push_back({kItem, itemId, {}});
        calls.emplace_back("PushItemGet");
    }
    void PushBellGet(std::uint32_t amount)
    {
        m_queue.push_back({kBell, amount, {}});
        calls.emplace_back("PushBellGet");
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

// A pop-up shown on the HUD: the stand-ins record where they were shown and stay active for a set
// number of updates after that.
class TPopupLife {
public:
    static constexpr int kDefaultUpdates = 60;

    void Show(float x, float y)
    {
        m_x = x;
        m_y = y;
        ++m_shows;
        m_left = s_updates;
    }
    void Step()
    {
        ++m_updates;
        if (m_left > 0) {
            --m_left;
        }
    }
    bool IsLive() const { return m_left > 0; }
    float GetX() const { return m_x; }
    float GetY() const { return m_y; }
    int GetShowCount() const { return m_shows; }
    int GetUpdateCount() const { return m_updates; }
    // Updates a pop-up stays active once shown (tests choose).
    static void SetLifetime(int updates) { s_updates = updates; }
    static int GetLifetime() { return s_updates; }

private:
    static inline int s_updates = kDefaultUpdates;
    float m_x = 0.0F;
    float m_y = 0.0F;
    int m_shows = 0;
    int m_updates = 0;
    int m_left = 0;
};

// The hit-count and damage pop-up.
class THitPopup {
public:
    explicit THitPopup(TLetterFont* font) : m_font(font) {}
    void Show(float x, float y, std::int32_t count, std::int32_t damage)
    {
        m_life.Show(x, y);
        m_count = count;
        m_damage = damage;
    }
    void Update() { m_life.Step(); }
    bool IsActive() const { return m_life.IsLive(); }
    void Draw() { ++m_draws; }
    int GetDrawCount() const { return m_draws; }
    const TPopupLife& GetLife() const { return m_life; }
    std::int32_t GetCount() const { return m_count; }
    std::int32_t GetDamage() const { return m_damage; }

private:
    TLetterFont* m_font;
    TPopupLife m_life;
    std::int32_t m_count = 0;
    std::int32_t m_damage = 0;
    int m_draws = 0;
};

// A pop-up of the player's pop-up list.
class TPopup {
public:
    virtual ~TPopup() = default;
    virtual void Show(float x, float y) { m_life.Show(x, y); }
    virtual void Update() { m_life.Step(); }
    virtual bool IsActive() const { return m_life.IsLive(); }
    virtual void Draw() {}
    const TPopupLife& GetLife() const { return m_life; }

private:
    TPopupLife m_life;
};

class TLevelUpPopup : public TPopup {
public:
    TLevelUpPopup(void* fieldScene, TLetterFont* font) : m_fieldScene(fieldScene), m_font(font) {}

private:
    void* m_fieldScene;
    TLetterFont* m_font;
};

// The experience and ability points of one defeated enemy: the seven words of its gain record.
class TGainPopup : public TPopup {
public:
    TGainPopup(const std::uint32_t (&words)[7], TLetterFont* font) : m_font(font)
    {
        for (int i = 0; i < 7; ++i) {
            m_words[i] = words[i];
        }
    }
    const std::uint32_t* GetWords() const { return m_words; }

private:
    std::uint32_t m_words[7];
    TLetterFont* m_font;
};
