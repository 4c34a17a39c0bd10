// What every part of the script engine shares: the token kinds of a compiled script, the number
// conversions its texts go through, and the log line for damaged scripts.
#pragma once

#include <cstdint>
#include <string>

#include "MainCode/Script/ScriptWork.h"

// Token kinds as the script compiler writes them in front of each token.
enum ScriptTokenKind : std::uint32_t {
    kTokenKeyword = 1,
    kTokenDecimal = 2,
    kTokenHex = 3,
    kTokenText = 4,
    kTokenOperator = 5,
    kTokenSystemCall = 6,
    kTokenScriptKey = 7,
    kTokenGlobalB = 9,
    kTokenGlobalA = 10,
    kTokenLocal = 11,
    kTokenGlobalA2 = 12,
    kTokenLocal2 = 13,
    kTokenLabel = 14,
};

inline bool IsScriptVariableKind(std::uint32_t kind)
{
    return kind >= kTokenGlobalB && kind <= kTokenLocal2;
}

// "%d": optional white space and sign, then decimal digits, taken modulo 2^32.
// False (value 0) when there is no digit.
bool ScanScriptDecimal(const std::string& text, std::int32_t& value);
// "%x": as above with an optional 0x prefix and hexadecimal digits.
bool ScanScriptHex(const std::string& text, std::int32_t& value);
// "%u": as ScanScriptDecimal, the value as unsigned. False, value untouched, when there is no digit.
bool ScanScriptUnsigned(const std::string& text, std::uint32_t& value);
// "%f": a float from the start of the text. False, value untouched, when there is none.
bool ScanScriptFloat(const std::string& text, float& value);
// atoi: the decimal value, 0 when the text has no leading number.
std::int32_t ScriptAtoi(const std::string& text);

// One line on stderr for a script that cannot run as written.
void ScriptLog(const std::string& line);
