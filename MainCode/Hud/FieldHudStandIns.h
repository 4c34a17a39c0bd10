// Stand-ins for the field HUD until the HUD itself is built: the letter font, status panel, item
// ring, skill gauge and the item-get notice keep what they are told and count their calls, and
// draw nothing. The notice queue is kept so the map-name notice can be checked.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TGameObject;

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
    void Update(TGameObject*) {}
    void Draw(float, float) {}
    TGameObject* GetLastRefreshed() const { return m_refreshed; }
    int GetRefreshCount() const { return m_refreshes; }

private:
    TLetterFont* m_font;
    TGameObject* m_refreshed = nullptr;
    int m_refreshes = 0;
};

class TItemRing {
public:
    explicit TItemRing(TLetterFont* font) : m_font(font) {}
    void Update() { ++m_updates; }
    void Reset() {}
    void Draw() {}
    int GetUpdateCount() const { return m_updates; }

private:
    TLetterFont* m_font;
    int m_updates = 0;
};

class TSkillGauge {
public:
    void Refresh(TGameObject* character) { m_refreshed = character; ++m_refreshes; }
    void Draw(float, float) {}
    TGameObject* GetLastRefreshed() const { return m_refreshed; }
    int GetRefreshCount() const { return m_refreshes; }

private:
    TGameObject* m_refreshed = nullptr;
    int m_refreshes = 0;
};

class TGetRender {
public:
    static constexpr std::uint32_t kText = 0;
    static constexpr std::uint32_t kKind4 = 4;
    static constexpr std::uint32_t kItem = 1;
    static constexpr std::uint32_t kBell = 2;

    struct Notice {
        std::uint32_t kind;
        std::uint32_t number;
        std::string text;
    };
    // What happened to the queue, in order: "Clear", "PushKind4", "PushText", "PushItemGet",
    // "PushBellGet".
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
    void Update() {}
    void Draw() {}
    const std::vector<Notice>& GetQueue() const { return m_queue; }

private:
    std::vector<Notice> m_queue;
};
