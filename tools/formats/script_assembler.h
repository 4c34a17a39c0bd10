// Writer of compiled script files (several named scripts, a directory of body offsets, token
// texts scrambled) from readable statements or raw token lists, and a disassembler.
//
// Readable statements: tokens separated by spaces, each kind inferred from its spelling:
//   IF ELSE CALL ... (the thirteen keywords)       kind 1
//   12  -7                                          kind 2 (decimal)
//   0x1F                                            kind 3 (hexadecimal, the text as written)
//   "a text"                                        kind 4
//   = + - ( ) == && ...                             kind 5
//   @@SendMsg                                       kind 6
//   04.pbsc/Event04_00 (any word with a "/")        kind 7
//   b.name  g.name  name                            kinds 9, 10, 11
//   :name                                           kind 14 (the text is "name")
//   <K>text  <K>"text"                              kind K forced
// Escapes anywhere: \n (line feed), \\, \", \s (space), \xHH (any byte).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qmtest {

struct ScriptToken {
    std::string text;
    std::uint32_t kind;
    bool operator==(const ScriptToken&) const = default;
};
using ScriptTokens = std::vector<ScriptToken>;

// Throws std::invalid_argument for a token whose kind cannot be told.
ScriptTokens AssembleStatement(const std::string& line);
// The line that AssembleStatement turns back into the same tokens.
std::string FormatStatement(const ScriptTokens& tokens);

// Stored byte of a token text byte: the complement of the byte rotated left by 5.
std::uint8_t ScrambleScriptByte(std::uint8_t plain);

class ScriptFileWriter {
public:
    ScriptFileWriter& Script(const std::string& name, const std::vector<std::string>& lines);
    ScriptFileWriter& RawScript(const std::string& name, const std::vector<ScriptTokens>& statements);

    std::vector<std::uint8_t> Build() const;
    void Save(const std::string& path) const;

private:
    std::vector<std::pair<std::string, std::vector<ScriptTokens>>> scripts_;
};

struct DisassembledScript {
    std::string name;
    std::uint32_t offset = 0;
    std::vector<ScriptTokens> statements;  // texts whole, NULs included
};

// Throws std::runtime_error for bytes that are not a whole compiled file.
std::vector<DisassembledScript> DisassembleScriptFile(const std::vector<std::uint8_t>& bytes);
// One line per statement, each script headed by "[name]".
std::string DisassembleScriptText(const std::vector<std::uint8_t>& bytes);

}  // namespace qmtest
