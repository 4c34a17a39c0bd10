#include "MainCode/GameData/TTextFormat.h"

#include <cstdarg>
#include <cstdio>

#include "platform/text/cp932.h"

std::string CutCp932(const std::string& text, std::size_t maxBytes)
{
    if (text.size() <= maxBytes) {
        return text;
    }
    std::size_t end = 0;
    while (end < maxBytes) {
        const std::size_t width = platform::IsCp932LeadByte(static_cast<unsigned char>(text[end])) ? 2 : 1;
        if (end + width > maxBytes) {
            break;
        }
        end += width;
    }
    return text.substr(0, end);
}

std::string FormatLine(const char* format, ...)
{
    // Room for the whole formatted text first, so that the cut sees whole characters.
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string line;
    if (length > 0) {
        line.resize(static_cast<std::size_t>(length) + 1);
        std::vsnprintf(line.data(), line.size(), format, again);
        line.pop_back();
    }
    va_end(again);
    return CutCp932(line, kMaxLineBytes);
}
