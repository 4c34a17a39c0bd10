// The game database singleton. For now it keeps its folders and the chapter limits only.
#pragma once

#include <cstdint>
#include <string>

class TGameData {
public:
    static TGameData* GetInstance();

    static void SetSaveDirectory(const std::string& folder) { s_saveFolder = folder; }
    static const std::string& GetSaveDirectory() { return s_saveFolder; }
    static void SetTableDirectory(const std::string& folder) { s_tableFolder = folder; }
    static const std::string& GetTableDirectory() { return s_tableFolder; }

    void Initialize() { m_initialized = true; }
    void Finalize() { m_initialized = false; }
    bool IsInitialized() const { return m_initialized; }
    void SetChapter(std::uint32_t chapter) { m_chapter = chapter; }
    std::uint32_t GetChapter() const { return m_chapter; }
    void SetMaxLevel(std::uint32_t level) { m_maxLevel = level; }
    std::uint32_t GetMaxLevel() const { return m_maxLevel; }
    void SetMaxMoney(std::uint32_t money) { m_maxMoney = money; }
    std::uint32_t GetMaxMoney() const { return m_maxMoney; }

private:
    TGameData() = default;
    static inline std::string s_saveFolder;
    static inline std::string s_tableFolder;
    bool m_initialized = false;
    std::uint32_t m_chapter = 0;
    std::uint32_t m_maxLevel = 0;
    std::uint32_t m_maxMoney = 0;
};
