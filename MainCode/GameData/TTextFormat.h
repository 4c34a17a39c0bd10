// Lines formatted for the screens. The game's texts are CP932; a line is cut at a byte limit
// on a character boundary, never between the two bytes of a double-byte character.
#pragma once

#include <cstddef>
#include <string>

// The longest line a screen text is given, in bytes.
constexpr std::size_t kMaxLineBytes = 127;

// The text, cut to at most maxBytes bytes.
std::string CutCp932(const std::string& text, std::size_t maxBytes);

// printf into a line of at most kMaxLineBytes bytes.
std::string FormatLine(const char* format, ...) __attribute__((format(printf, 1, 2)));
