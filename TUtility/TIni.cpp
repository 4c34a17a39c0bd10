#include "TUtility/TIni.h"

#include <cstdint>
#include <cstdlib>

#include "TCommon/my_error.h"
#include "platform/text/cp932.h"
#include "platform/win32/profile.h"

namespace {

// A path with neither drive nor folder: the profile functions would look in the system
// folder, so it is made relative to the current one.
bool IsBareName(const std::string& path)
{
    if (path.size() >= 2 && path[1] == ':') {
        return false;
    }
    for (std::size_t i = 0; i < path.size(); ++i) {
        const auto c = static_cast<unsigned char>(path[i]);
        if (platform::IsCp932LeadByte(c)) {
            ++i;
        } else if (c == '\\' || c == '/') {
            return false;
        }
    }
    return true;
}

const char* const kMissing = "failed";

// The generic failure text after the file and the name that stopped the load.
std::string Duplicate(const std::string& file, const std::string& what)
{
    return file + " : " + what + "が重複しています。\r\n" + my_error::GetDefaultMessage();
}

}  // namespace

TIni::TIni(const std::string& path, std::uint32_t namesSize, std::uint32_t keysSize, std::uint32_t valueSize)
    : m_path(path), m_prefix(IsBareName(path) ? "./" : ""), m_namesSize(namesSize), m_keysSize(keysSize),
      m_valueSize(valueSize)
{
}

TIni::~TIni() = default;

bool TIni::SplitList(const std::vector<char>& buffer, std::uint32_t length, std::vector<std::string>& out)
{
    out.clear();
    // The profile functions report a list cut to fit as the buffer size - 2.
    if (length == 0 || length == buffer.size() - 2 || length >= buffer.size()) {
        return false;
    }
    std::size_t pos = 0;
    while (pos < length && buffer[pos] != '\0') {
        out.emplace_back(buffer.data() + pos);
        pos += out.back().size() + 1;
    }
    return true;
}

bool TIni::Load()
{
    m_sections.clear();
    const std::string file = FileName();

    std::vector<char> names(m_namesSize);
    std::vector<std::string> sectionNames;
    DWORD length = GetPrivateProfileSectionNamesA(names.data(), m_namesSize, file.c_str());
    if (!SplitList(names, length, sectionNames)) {
        return false;
    }

    std::vector<char> keys(m_keysSize);
    std::vector<char> value(m_valueSize);
    std::vector<std::string> keyNames;
    for (const std::string& section : sectionNames) {
        auto inserted = m_sections.emplace(section, std::map<std::string, std::string>());
        if (!inserted.second) {
            throw my_error(Duplicate(file, "セクション [" + section + "] "), "TUtility/TIni.cpp", 76);
        }
        std::map<std::string, std::string>& entries = inserted.first->second;

        length = GetPrivateProfileStringA(section.c_str(), nullptr, kMissing, keys.data(), m_keysSize, file.c_str());
        if (!SplitList(keys, length, keyNames)) {
            return false;
        }
        for (const std::string& key : keyNames) {
            length = GetPrivateProfileStringA(section.c_str(), key.c_str(), kMissing, value.data(), m_valueSize,
                                              file.c_str());
            if (length == m_valueSize - 1) {
                return false;  // the value was cut
            }
            if (!entries.emplace(key, std::string(value.data(), length)).second) {
                throw my_error(Duplicate(file, "セクション [" + section + "] のキー \"" + key + "\" "),
                               "TUtility/TIni.cpp", 124);
            }
        }
    }
    return true;
}

const std::string* TIni::Find(const std::string& section, const std::string& key) const
{
    auto s = m_sections.find(section);
    if (s == m_sections.end()) {
        return nullptr;
    }
    auto k = s->second.find(key);
    return k == s->second.end() ? nullptr : &k->second;
}

bool TIni::HasKey(const std::string& section, const std::string& key) const
{
    return Find(section, key) != nullptr;
}

bool TIni::GetString(const std::string& section, const std::string& key, std::string& out) const
{
    const std::string* value = Find(section, key);
    if (value == nullptr) {
        return false;
    }
    out = *value;
    return true;
}

bool TIni::GetInt(const std::string& section, const std::string& key, std::int32_t& out) const
{
    const std::string* value = Find(section, key);
    if (value == nullptr) {
        return false;
    }
    // atol of a 32-bit long: out-of-range numbers stop at the limits.
    long long number = std::strtoll(value->c_str(), nullptr, 10);
    if (number > INT32_MAX) {
        number = INT32_MAX;
    } else if (number < INT32_MIN) {
        number = INT32_MIN;
    }
    out = static_cast<std::int32_t>(number);
    return true;
}
