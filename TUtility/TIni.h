// Reads a whole INI file once through the profile functions, then answers lookups from memory.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class TIni {
public:
    // Every user passes the sizes 4096, 4096 and 1024. Reads nothing yet.
    TIni(const std::string& path, std::uint32_t namesSize, std::uint32_t keysSize, std::uint32_t valueSize);
    virtual ~TIni();

    // False for a missing or empty file, a section without keys, a cut list or value; the
    // maps then hold what was read so far. Duplicate section or key names throw my_error.
    bool Load();

    bool HasKey(const std::string& section, const std::string& key) const;
    // False (out untouched) when the section or key is absent.
    bool GetString(const std::string& section, const std::string& key, std::string& out) const;
    // The value's leading number, 0 for text that is not one.
    bool GetInt(const std::string& section, const std::string& key, std::int32_t& out) const;

private:
    // A profile list of NUL-ended names; false when it is empty or was cut.
    static bool SplitList(const std::vector<char>& buffer, std::uint32_t length, std::vector<std::string>& out);
    const std::string* Find(const std::string& section, const std::string& key) const;
    std::string FileName() const { return m_prefix + m_path; }

    std::string m_path;
    std::string m_prefix;
    std::map<std::string, std::map<std::string, std::string>> m_sections;
    std::uint32_t m_namesSize;
    std::uint32_t m_keysSize;
    std::uint32_t m_valueSize;
};
