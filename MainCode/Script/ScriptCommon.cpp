#include "MainCode/Script/ScriptCommon.h"

#include <cstdio>
#include <cstdlib>

#include "platform/text/cp932.h"

namespace {

int DigitValue(char c, std::uint32_t base)
{
    int v = -1;
    if (c >= '0' && c <= '9') {
        v = c - '0';
    } else if (c >= 'a' && c <= 'f') {
        v = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
        v = c - 'A' + 10;
    }
    return v >= 0 && static_cast<std::uint32_t>(v) < base ? v : -1;
}

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Wraps instead of overflowing: compiled scripts hold whatever their author typed.
bool Scan(const std::string& text, std::uint32_t base, std::int32_t& value)
{
    std::size_t i = 0;
    while (i < text.size() && IsSpace(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (base == 16 && i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X') &&
        i + 2 < text.size() && DigitValue(text[i + 2], 16) >= 0) {
        i += 2;
    }
    std::uint32_t result = 0;
    bool any = false;
    for (; i < text.size(); ++i) {
        const int digit = DigitValue(text[i], base);
        if (digit < 0) {
            break;
        }
        result = result * base + static_cast<std::uint32_t>(digit);
        any = true;
    }
    if (negative) {
        result = 0u - result;
    }
    // A number the length of a text is read every time a module or a CALL is handed it.
    ScriptWork::Count(ScriptPrice::Digits(i));
    value = any ? static_cast<std::int32_t>(result) : 0;
    return any;
}

}  // namespace

bool ScanScriptDecimal(const std::string& text, std::int32_t& value)
{
    return Scan(text, 10, value);
}

bool ScanScriptHex(const std::string& text, std::int32_t& value)
{
    return Scan(text, 16, value);
}

bool ScanScriptUnsigned(const std::string& text, std::uint32_t& value)
{
    std::int32_t scanned = 0;
    if (!Scan(text, 10, scanned)) {
        return false;
    }
    value = static_cast<std::uint32_t>(scanned);
    return true;
}

bool ScanScriptFloat(const std::string& text, float& value)
{
    const char* start = text.c_str();
    char* end = nullptr;
    const float scanned = std::strtof(start, &end);
    if (end == start) {
        return false;
    }
    value = scanned;
    return true;
}

std::int32_t ScriptAtoi(const std::string& text)
{
    std::int32_t value = 0;
    Scan(text, 10, value);
    return value;
}

void ScriptLog(const std::string& line)
{
    ScriptWork::Count(ScriptPrice::kLogLine + ScriptPrice::Bytes(line.size()));
    std::fprintf(stderr, "script: %s\n", platform::Cp932ToUtf8(line).c_str());
}
