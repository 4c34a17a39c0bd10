// CP932 (the game's text encoding) <-> UTF-8, for texts that leave the game.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Bytes that cannot be converted (broken or unmapped sequences) become '?', one per bad
// sequence; conversion never fails.
std::string Cp932ToUtf8(std::string_view cp932);
std::string Utf8ToCp932(std::string_view utf8);

// True for the first byte of a double-byte CP932 character; its trail byte may be any of
// 0x40-0xFC, '\\' and ASCII letters included, so byte scans must step over it.
inline bool IsCp932LeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

}  // namespace platform
