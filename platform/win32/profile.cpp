#include "platform/win32/profile.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text/cp932.h"
#include "platform/win32/file.h"
#include "platform/win32/seams.h"

namespace platform::seams {

std::atomic<long> g_profileParses{0};

}  // namespace platform::seams

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

enum class ReadResult { kRead, kMissing, kTooLong };

// Opened as every game file is: a FIFO, a device or a folder under the name is refused at once.
ReadResult ReadWholeFile(const char* fileName, std::string& text)
{
    text.clear();
    HANDLE file = CreateFileA(fileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return ReadResult::kMissing;
    }
    // One byte past the bound tells a longer file from one that fills it.
    text.resize(kMaxProfileBytes + 1);
    DWORD got = 0;
    const bool ok = ReadFile(file, text.data(), kMaxProfileBytes + 1, &got, nullptr) != FALSE;
    CloseHandle(file);
    text.resize(ok && got <= kMaxProfileBytes ? got : 0);
    if (!ok) {
        return ReadResult::kMissing;
    }
    return got <= kMaxProfileBytes ? ReadResult::kRead : ReadResult::kTooLong;
}

std::vector<Section> Parse(std::string_view text)
{
    platform::seams::g_profileParses.fetch_add(1, std::memory_order_relaxed);
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

// What stood under a file's name when it was read: any write since changes one of these.
struct FileState {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    long long modified = 0;  // ns
    long long changed = 0;   // ns

    bool operator==(const FileState&) const = default;
};

long long Nanoseconds(const timespec& t)
{
    return static_cast<long long>(t.tv_sec) * 1'000'000'000LL + t.tv_nsec;
}

FileState StateOf(const struct stat& st)
{
    return {st.st_dev, st.st_ino, st.st_size, Nanoseconds(st.st_mtim), Nanoseconds(st.st_ctim)};
}

// One settings file as it was last read.
struct ParsedFile {
    std::string host;
    FileState state;
    long long readAt = 0;  // ns, taken before the file was looked at
    bool tooLong = false;
    std::string text;
    std::shared_ptr<const std::vector<Section>> sections = std::make_shared<std::vector<Section>>();
};

// File times come from a clock that lags by up to a tick, and some filesystems keep them to 2 s: a
// file written this close to its reading could be written again without its times changing, so its
// bytes are read and compared before the parse is used again.
constexpr long long kSettledNs = 2'000'000'000LL;

bool Settled(const ParsedFile& file)
{
    return std::min(file.state.modified, file.state.changed) < file.readAt - kSettledNs;
}

// The game asks for a settings file key by key; it is read and parsed once for all of them. A
// few files are kept, most recent first.
constexpr std::size_t kKeptFiles = 4;

struct ProfileCache {
    std::mutex lock;
    std::vector<std::shared_ptr<const ParsedFile>> files;
};

ProfileCache& Cache()
{
    static ProfileCache* cache = new ProfileCache;  // lives for the whole process
    return *cache;
}

// The file as it stands now: from the cache while it is unchanged, else read again. A missing
// file, anything that is not a regular file and a file over the bound hold no sections.
std::shared_ptr<const ParsedFile> ReadProfile(const char* fileName)
{
    static const auto kNothing = std::make_shared<const ParsedFile>();
    if (fileName == nullptr || fileName[0] == '\0') {
        return kNothing;
    }
    const std::string host = platform::HostPath(fileName);
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    struct stat st {};
    const bool regular = ::stat(host.c_str(), &st) == 0 && S_ISREG(st.st_mode);

    ProfileCache& cache = Cache();
    std::lock_guard<std::mutex> guard(cache.lock);
    std::shared_ptr<const ParsedFile> known;
    auto at = std::find_if(cache.files.begin(), cache.files.end(),
                           [&](const std::shared_ptr<const ParsedFile>& f) { return f->host == host; });
    if (at != cache.files.end()) {
        known = *at;
        cache.files.erase(at);
    }
    const FileState state = StateOf(st);
    if (regular && known != nullptr && known->state == state) {
        // A file over the bound stays over it while its size is unchanged, whatever it now holds.
        if ((known->tooLong && state.size > static_cast<off_t>(kMaxProfileBytes)) || Settled(*known)) {
            cache.files.insert(cache.files.begin(), known);
            return known->tooLong ? kNothing : known;
        }
    }

    auto fresh = std::make_shared<ParsedFile>();
    fresh->host = host;
    fresh->state = state;
    fresh->readAt = Nanoseconds(now);
    switch (ReadWholeFile(fileName, fresh->text)) {
    case ReadResult::kMissing:
        return kNothing;
    case ReadResult::kTooLong:
        fresh->tooLong = true;
        std::fprintf(stderr, "profile: %s is longer than %lu bytes and is read as missing\n",
                     platform::Cp932ToUtf8(fileName).c_str(), static_cast<unsigned long>(kMaxProfileBytes));
        break;
    case ReadResult::kRead:
        if (known != nullptr && !known->tooLong && known->text == fresh->text) {
            fresh->sections = known->sections;
        } else {
            fresh->sections = std::make_shared<const std::vector<Section>>(Parse(fresh->text));
        }
        break;
    }
    if (regular) {
        cache.files.insert(cache.files.begin(), fresh);
        if (cache.files.size() > kKeptFiles) {
            cache.files.pop_back();
        }
    }
    return fresh->tooLong ? kNothing : fresh;
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
    const std::shared_ptr<const ParsedFile> file = ReadProfile(fileName);
    std::vector<std::string_view> names;
    for (const Section& section : *file->sections) {
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
    const std::shared_ptr<const ParsedFile> file = ReadProfile(fileName);
    const Section* found = FindSection(*file->sections, section);
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
