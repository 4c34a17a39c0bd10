#include "platform/win32/profile.h"

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text/cp932.h"
#include "platform/win32/file.h"

namespace {

struct Entry {
    std::string key;
    bool hasValue = false;
    std::string value;
};

struct Section {
    std::string name;
    std::vector<Entry> entries;
};

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// Position of c in text, stepping over the trail bytes of double-byte characters.
size_t FindByte(std::string_view text, char c)
{
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == c) {
            return i;
        }
        if (platform::IsCp932LeadByte(static_cast<unsigned char>(text[i]))) {
            ++i;
        }
    }
    return std::string_view::npos;
}

// ASCII letters fold; double-byte characters compare exactly, trail byte included.
bool SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (platform::IsCp932LeadByte(x)) {
            if (x != y || i + 1 >= a.size() || a[i + 1] != b[i + 1]) {
                return false;
            }
            ++i;
            continue;
        }
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y) {
            return false;
        }
    }
    return true;
}

// Settings files are a few hundred bytes, and the lists read from them fit in a few KiB; a file
// longer than this is no settings file and reads as missing, so its users keep their defaults.
constexpr DWORD kMaxProfileBytes = 64 * 1024;

// Opened as every game file is: a FIFO, a device or a folder under the name is refused at once.
bool ReadWholeFile(const char* fileName, std::string& text)
{
    if (fileName == nullptr || fileName[0] == '\0') {
        return false;
    }
    HANDLE file = CreateFileA(fileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    // One byte past the bound tells a longer file from one that fills it.
    text.resize(kMaxProfileBytes + 1);
    DWORD got = 0;
    const bool ok =
        ReadFile(file, text.data(), kMaxProfileBytes + 1, &got, nullptr) != FALSE && got <= kMaxProfileBytes;
    text.resize(ok ? got : 0);
    CloseHandle(file);
    return ok;
}

std::vector<Section> Parse(std::string_view text)
{
    std::vector<Section> sections;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = pos;
        while (end < text.size() && text[end] != '\n' && text[end] != '\r' && text[end] != '\0') {
            ++end;
        }
        std::string_view line = Trim(text.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty() || line.front() == ';') {
            continue;
        }
        if (line.front() == '[') {
            line.remove_prefix(1);
            size_t close = FindByte(line, ']');
            sections.push_back(Section{std::string(Trim(line.substr(0, close))), {}});
            continue;
        }
        if (sections.empty()) {
            continue;  // keys before the first section belong to none
        }
        Entry entry;
        size_t equals = FindByte(line, '=');
        entry.key = std::string(Trim(line.substr(0, equals)));
        if (equals != std::string_view::npos) {
            std::string_view value = Trim(line.substr(equals + 1));
            if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
                value = value.substr(1, value.size() - 2);
            }
            entry.hasValue = true;
            entry.value = std::string(value);
        }
        sections.back().entries.push_back(std::move(entry));
    }
    return sections;
}

const Section* FindSection(const std::vector<Section>& sections, std::string_view name)
{
    for (const Section& section : sections) {
        if (SameName(section.name, name)) {
            return &section;
        }
    }
    return nullptr;
}

// Writes names as a NUL-separated list ended by an extra NUL; a list that does not fit is
// cut, still double-terminated, and reported as size - 2.
DWORD WriteList(const std::vector<std::string_view>& names, char* buffer, DWORD size)
{
    if (buffer == nullptr || size == 0) {
        return 0;
    }
    buffer[0] = '\0';
    if (size == 1) {
        return 0;
    }
    DWORD pos = 0;
    const DWORD limit = size - 1;  // room kept for the final NUL
    for (std::string_view name : names) {
        const DWORD room = limit - pos;
        if (name.size() + 1 > room) {
            if (room > 0) {
                std::memcpy(buffer + pos, name.data(), room - 1);
                pos += room - 1;
                buffer[pos++] = '\0';
            }
            buffer[pos] = '\0';
            return size - 2;
        }
        std::memcpy(buffer + pos, name.data(), name.size());
        pos += static_cast<DWORD>(name.size());
        buffer[pos++] = '\0';
    }
    buffer[pos] = '\0';
    return pos;
}

DWORD WriteValue(std::string_view value, char* buffer, DWORD size)
{
    if (buffer == nullptr || size == 0) {
        return 0;
    }
    const DWORD length = value.size() < size ? static_cast<DWORD>(value.size()) : size - 1;
    std::memcpy(buffer, value.data(), length);
    buffer[length] = '\0';
    return length;
}

DWORD WriteDefault(const char* defaultText, char* buffer, DWORD size)
{
    std::string_view text = defaultText != nullptr ? defaultText : "";
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return WriteValue(text, buffer, size);
}

}  // namespace

DWORD GetPrivateProfileSectionNamesA(LPSTR buffer, DWORD size, LPCSTR fileName)
{
    std::string text;
    std::vector<Section> sections;
    if (ReadWholeFile(fileName, text)) {
        sections = Parse(text);
    }
    std::vector<std::string_view> names;
    for (const Section& section : sections) {
        if (!section.name.empty()) {
            names.push_back(section.name);
        }
    }
    return WriteList(names, buffer, size);
}

DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultText, LPSTR buffer, DWORD size,
                               LPCSTR fileName)
{
    if (section == nullptr) {
        return GetPrivateProfileSectionNamesA(buffer, size, fileName);
    }
    std::string text;
    std::vector<Section> sections;
    if (ReadWholeFile(fileName, text)) {
        sections = Parse(text);
    }
    const Section* found = FindSection(sections, section);
    if (found == nullptr) {
        return WriteDefault(defaultText, buffer, size);
    }
    if (key == nullptr) {
        std::vector<std::string_view> keys;
        for (const Entry& entry : found->entries) {
            if (!entry.key.empty()) {
                keys.push_back(entry.key);
            }
        }
        return WriteList(keys, buffer, size);
    }
    for (const Entry& entry : found->entries) {
        if (SameName(entry.key, key)) {
            return entry.hasValue ? WriteValue(entry.value, buffer, size) : WriteDefault(defaultText, buffer, size);
        }
    }
    return WriteDefault(defaultText, buffer, size);
}
