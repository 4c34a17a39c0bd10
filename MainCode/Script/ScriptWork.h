// The work scripts do in a frame, counted where it is done, and the one list of what each kind of
// work costs. The unit is a token: what evaluating one expression node costs. An ordinary statement
// ("g.x = g.x + 1") is three, and a frame is a million such statements; each price below is set so
// that a loop repeating that work ends its frame no later than a loop of ordinary statements does.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

namespace ScriptPrice {

// A frame gives back after this much work, and its run ends: a statement is one unit for every
// kTokensPerWork tokens it works through, one at least.
inline constexpr std::uint64_t kMaxWorkPerStep = 1000000;
inline constexpr std::uint64_t kTokensPerWork = 3;
inline constexpr std::uint64_t kFrameTokens = kMaxWorkPerStep * kTokensPerWork;

// An expression node evaluated; an operator nested past the recursion depth, taken the long way
// round with a stack of its own.
inline constexpr std::uint64_t kNode = 1;
inline constexpr std::uint64_t kDeepOperator = 2;

// Bytes compared, hashed, copied, scanned or read: a token for every kBytesPerToken of them, so
// that names and numbers of ordinary length cost nothing more than their token.
inline constexpr std::uint64_t kBytesPerToken = 16;

// Digits read into a number, one after the other (each step waits for the one before it): a token
// for every kDigitsPerToken of them, so that numbers of ordinary length cost nothing more.
inline constexpr std::uint64_t kDigitsPerToken = 8;

// A call argument handed on: one, and its bytes.
inline constexpr std::uint64_t kArgument = 1;
// A variable's value written out as decimal text for a module.
inline constexpr std::uint64_t kDecimalText = 10;
// An argument that becomes a called script's local "$n": its name built and the entry made (the
// entry's own price, kNewEntry and its level, comes on top).
inline constexpr std::uint64_t kNamedArgument = 4;
// A module command sent: the argument lists built and freed, the module's name copied and looked
// up, the result set: what any command costs before the module does its own work.
inline constexpr std::uint64_t kModuleCall = 48;

// A link followed to memory that need not be in the cache (a branch skipped, a CASE line passed, a
// bag entry looked at, an allocation): what a cache miss costs on a real machine, about what four
// ordinary statements do.
inline constexpr std::uint64_t kLink = 12;

// A bag entry looked at by an item command: the list's node, then the entry.
inline constexpr std::uint64_t kBagEntry = 2 * kLink;

// A look-up in a table of names (variables, loaded scripts) costs nothing more while the table
// stays as small as a cache holds, then a price for each level its tree has past that; a name
// longer than usual, its bytes once. A new entry is an allocation, released with the table.
inline constexpr unsigned kCachedLevels = 8;
inline constexpr std::uint64_t kLevel = 4;
inline constexpr std::uint64_t kNewEntry = kLink;

// A script key looked up anew: the script made, found in its file's directory (or found missing and
// logged), its body read from the disk and parsed, what a statement of it costs on top, where it
// is read.
inline constexpr std::uint64_t kScriptRead = 900;
// A file a CALL opens for the first time, whether it is there or not: its path looked up folder by
// folder on the disk and the file opened, or its absence made sure of.
inline constexpr std::uint64_t kFileOpened = 200;

// A text texture cleared and sent to the device.
inline constexpr std::uint64_t kTextureSent = 13500;
// The name plate sent to the device, and each glyph rasterized into a text.
inline constexpr std::uint64_t kPlateSent = 9000;
inline constexpr std::uint64_t kGlyph = 1500;

// A token of a statement too long to load, its length read to find where the statement ends.
inline constexpr std::uint64_t kTokenWalked = 1;
// A script file opened again to read a body from it: the open, its size and time asked, the first
// read and the close, some 6 microseconds.
inline constexpr std::uint64_t kFileReopened = 1500;

// A called file looked at again in a later frame: opened by its path, asked what it is and closed,
// nothing read, some 4 microseconds.
inline constexpr std::uint64_t kFileChecked = 1000;
// An entry of a folder the system read to find a file named in another case, or not there at all
// (a file missing as written): the entry read, its name folded and kept, some 650 nanoseconds;
// and each byte of its name on top.
inline constexpr std::uint64_t kFolderEntry = 160;
inline constexpr std::uint64_t kFolderNameByte = 1;
// A name of a path the system was asked to walk (an open, a look at a folder).
inline constexpr std::uint64_t kPathStep = 8;

// A line written to the log.
inline constexpr std::uint64_t kLogLine = 300;

// A scene started: the screen is rendered into a picture for it. A fifth of a frame, so that a
// script starting a few runs to its end and a loop of them stops after five.
inline constexpr std::uint64_t kSceneStart = kFrameTokens / 5;

// What reading bytes costs: the rule behind every byte count above.
constexpr std::uint64_t Bytes(std::size_t bytes)
{
    return bytes / kBytesPerToken;
}

// What reading a number of that many characters costs.
constexpr std::uint64_t Digits(std::size_t characters)
{
    return characters / kDigitsPerToken;
}

// What the depth of a table of that many names adds to each look-up.
constexpr std::uint64_t Levels(std::size_t entries)
{
    return static_cast<std::uint64_t>(std::bit_width(entries >> kCachedLevels)) * kLevel;
}

}  // namespace ScriptPrice

// The tokens scripts have worked through: the process manager counts them beside the statements,
// so a statement costs what it does. Each kind of work counts itself where it is done.
class ScriptWork {
public:
    static void Count(std::uint64_t tokens) { s_tokens += tokens; }
    static void CountBytes(std::size_t bytes) { s_tokens += ScriptPrice::Bytes(bytes); }
    static void CountLinks(std::uint64_t links) { s_tokens += links * ScriptPrice::kLink; }
    static std::uint64_t Tokens() { return s_tokens; }
    // Folders the system reads for a CALL (counted in Tokens too): the scripts' own work is the rest.
    static void CountFolderRead(std::uint64_t tokens)
    {
        s_tokens += tokens;
        s_folderTokens += tokens;
    }
    static std::uint64_t FolderTokens() { return s_folderTokens; }

    // Where the work of the frame being run ends, for work that can go on in the next frame (a
    // folder read for a CALL); UINT64_MAX between frames.
    static std::uint64_t FrameEnd() { return s_frameEnd; }
    static void SetFrameEnd(std::uint64_t end) { s_frameEnd = end; }

private:
    static inline std::uint64_t s_tokens = 0;
    static inline std::uint64_t s_folderTokens = 0;
    static inline std::uint64_t s_frameEnd = UINT64_MAX;
};
