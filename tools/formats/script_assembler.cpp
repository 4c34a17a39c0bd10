#include "formats/script_assembler.h"

#include <cstdio>
#include <stdexcept>

#include "formats/byte_writer.h"

namespace qmtest {

namespace {

const char* const kKeywords[] = {"RETURN", "GOTO",   "IF",     "ELIF",  "ELSE",  "END", "SWITCH",
                                 "CASE",   "WHILE",  "REPEAT", "TILL",  "UNTIL", "CALL"};
const char* const kOperators[] = {"=",  "*",  "/",  "%", "+",  "-",  "<<", ">>", "<", ">", "<=", ">=",
                                  "==", "!=", "&",  "|", "^",  "&&", "||", "~",  "!", "(", ")"};

template <std::size_t N>
bool OneOf(const std::string& text, const char* const (&list)[N])
{
    for (const char* word : list) {
        if (text == word) {
            return true;
        }
    }
    return false;
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string Unescape(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 >= text.size()) {
            out.push_back(text[i]);
            continue;
        }
        const char c = text[++i];
        if (c == 'n') {
            out.push_back('\n');
        } else if (c == 's') {
            out.push_back(' ');
        } else if (c == 'x' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
            out.push_back(static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2])));
            i += 2;
        } else {
            out.push_back(c);  // \\ and \" and anything else stand for themselves
        }
    }
    return out;
}

std::string Escape(const std::string& text)
{
    std::string out;
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\\' || c == '"') {
            out += '\\';
            out += ch;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c <= ' ' || c >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof(hex), "\\x%02X", c);
            out += hex;
        } else {
            out += ch;
        }
    }
    return out;
}

bool IsDecimal(const std::string& t)
{
    std::size_t i = t.size() > 1 && t[0] == '-' ? 1 : 0;
    if (i >= t.size()) {
        return false;
    }
    for (; i < t.size(); ++i) {
        if (t[i] < '0' || t[i] > '9') {
            return false;
        }
    }
    return true;
}

bool IsIdentifier(const std::string& t)
{
    if (t.empty() || (t[0] >= '0' && t[0] <= '9')) {
        return false;
    }
    for (char c : t) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
                        c == '$';
        if (!ok) {
            return false;
        }
    }
    return true;
}

bool Unquote(const std::string& word, std::string& text)
{
    if (word.size() >= 2 && word.front() == '"' && word.back() == '"') {
        text = Unescape(word.substr(1, word.size() - 2));
        return true;
    }
    return false;
}

ScriptToken Classify(const std::string& word)
{
    std::string text;
    if (word.size() > 2 && word[0] == '<') {
        const std::size_t close = word.find('>');
        if (close != std::string::npos && close > 1) {
            const auto kind = static_cast<std::uint32_t>(std::stoul(word.substr(1, close - 1)));
            const std::string rest = word.substr(close + 1);
            return {Unquote(rest, text) ? text : Unescape(rest), kind};
        }
    }
    if (Unquote(word, text)) {
        return {text, 4};
    }
    text = Unescape(word);
    if (OneOf(text, kKeywords)) return {text, 1};
    if (OneOf(text, kOperators)) return {text, 5};
    if (IsDecimal(text)) return {text, 2};
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) return {text, 3};
    if (text.size() > 2 && text.compare(0, 2, "@@") == 0) return {text, 6};
    if (text.find('/') != std::string::npos) return {text, 7};
    if (text.size() > 1 && text[0] == ':') return {text.substr(1), 14};
    if (text.size() > 2 && text.compare(0, 2, "b.") == 0) return {text.substr(2), 9};
    if (text.size() > 2 && text.compare(0, 2, "g.") == 0) return {text.substr(2), 10};
    if (IsIdentifier(text)) return {text, 11};
    throw std::invalid_argument("script assembler: cannot tell the kind of \"" + word + "\"");
}

// Splits at spaces outside quotes.
std::vector<std::string> Words(const std::string& line)
{
    std::vector<std::string> words;
    std::string word;
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\\' && i + 1 < line.size()) {
            word += c;
            word += line[++i];
        } else if (c == '"') {
            quoted = !quoted;
            word += c;
        } else if (c == ' ' && !quoted) {
            if (!word.empty()) {
                words.push_back(word);
            }
            word.clear();
        } else {
            word += c;
        }
    }
    if (quoted) {
        throw std::invalid_argument("script assembler: unclosed quote in \"" + line + "\"");
    }
    if (!word.empty()) {
        words.push_back(word);
    }
    return words;
}

std::string NaturalSpelling(const ScriptToken& token)
{
    switch (token.kind) {
    case 4: return "\"" + Escape(token.text) + "\"";
    case 9: return "b." + token.text;
    case 10: return "g." + token.text;
    case 14: return ":" + token.text;
    default: return token.text;
    }
}

std::uint32_t ReadU32(const std::vector<std::uint8_t>& bytes, std::size_t& at)
{
    if (at > bytes.size() || bytes.size() - at < 4) {
        throw std::runtime_error("script disassembler: file cut short");
    }
    const std::uint32_t v = bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | std::uint32_t{bytes[at + 3]} << 24;
    at += 4;
    return v;
}

std::string ReadRaw(const std::vector<std::uint8_t>& bytes, std::size_t& at, bool scrambled)
{
    const std::uint32_t n = ReadU32(bytes, at);
    if (bytes.size() - at < n) {
        throw std::runtime_error("script disassembler: text runs past the end");
    }
    std::string text;
    for (std::uint32_t i = 0; i < n; ++i) {
        const auto v = static_cast<std::uint8_t>(~bytes[at + i]);
        text.push_back(static_cast<char>(scrambled ? static_cast<std::uint8_t>(v >> 5 | v << 3) : bytes[at + i]));
    }
    at += n;
    return text;
}

}  // namespace

ScriptTokens AssembleStatement(const std::string& line)
{
    ScriptTokens tokens;
    for (const std::string& word : Words(line)) {
        tokens.push_back(Classify(word));
    }
    return tokens;
}

std::string FormatStatement(const ScriptTokens& tokens)
{
    std::string line;
    for (const ScriptToken& token : tokens) {
        std::string spelling = NaturalSpelling(token);
        bool natural = false;
        try {
            const ScriptTokens back = AssembleStatement(spelling);
            natural = back.size() == 1 && back[0] == token;
        } catch (const std::exception&) {
        }
        if (!natural) {
            spelling = "<" + std::to_string(token.kind) + ">\"" + Escape(token.text) + "\"";
        }
        line += (line.empty() ? "" : " ") + spelling;
    }
    return line;
}

std::uint8_t ScrambleScriptByte(std::uint8_t plain)
{
    return static_cast<std::uint8_t>(~static_cast<std::uint8_t>(plain << 5 | plain >> 3));
}

ScriptFileWriter& ScriptFileWriter::Script(const std::string& name, const std::vector<std::string>& lines)
{
    std::vector<ScriptTokens> statements;
    for (const std::string& line : lines) {
        statements.push_back(AssembleStatement(line));
    }
    return RawScript(name, statements);
}

ScriptFileWriter& ScriptFileWriter::RawScript(const std::string& name, const std::vector<ScriptTokens>& statements)
{
    scripts_.emplace_back(name, statements);
    return *this;
}

std::vector<std::uint8_t> ScriptFileWriter::Build() const
{
    std::uint32_t directorySize = 4;
    for (const auto& script : scripts_) {
        directorySize += 8 + static_cast<std::uint32_t>(script.first.size());
    }
    ByteWriter bodies;
    std::vector<std::uint32_t> offsets;
    for (const auto& script : scripts_) {
        offsets.push_back(directorySize + static_cast<std::uint32_t>(bodies.Data().size()));
        bodies.U32(static_cast<std::uint32_t>(script.second.size()));
        for (const ScriptTokens& statement : script.second) {
            bodies.U32(static_cast<std::uint32_t>(statement.size()));
            for (const ScriptToken& token : statement) {
                bodies.U32(token.kind);
            }
            for (const ScriptToken& token : statement) {
                bodies.U32(static_cast<std::uint32_t>(token.text.size()));
                for (char c : token.text) {
                    bodies.U8(ScrambleScriptByte(static_cast<std::uint8_t>(c)));
                }
            }
        }
    }
    ByteWriter out;
    out.U32(static_cast<std::uint32_t>(scripts_.size()));
    for (std::size_t i = 0; i < scripts_.size(); ++i) {
        out.U32(static_cast<std::uint32_t>(scripts_[i].first.size())).Bytes(scripts_[i].first).U32(offsets[i]);
    }
    out.Bytes(bodies.Data().data(), bodies.Data().size());
    return out.Data();
}

void ScriptFileWriter::Save(const std::string& path) const
{
    SaveBytes(path, Build());
}

std::vector<DisassembledScript> DisassembleScriptFile(const std::vector<std::uint8_t>& bytes)
{
    std::size_t at = 0;
    const std::uint32_t count = ReadU32(bytes, at);
    std::vector<DisassembledScript> scripts;
    for (std::uint32_t i = 0; i < count; ++i) {
        DisassembledScript script;
        script.name = ReadRaw(bytes, at, false);
        script.offset = ReadU32(bytes, at);
        scripts.push_back(script);
    }
    for (DisassembledScript& script : scripts) {
        std::size_t body = script.offset;
        const std::uint32_t statements = ReadU32(bytes, body);
        for (std::uint32_t s = 0; s < statements; ++s) {
            const std::uint32_t n = ReadU32(bytes, body);
            if (n > bytes.size()) {
                throw std::runtime_error("script disassembler: token count past the end");
            }
            ScriptTokens tokens(n);
            for (ScriptToken& token : tokens) {
                token.kind = ReadU32(bytes, body);
            }
            for (ScriptToken& token : tokens) {
                token.text = ReadRaw(bytes, body, true);
            }
            script.statements.push_back(tokens);
        }
    }
    return scripts;
}

std::string DisassembleScriptText(const std::vector<std::uint8_t>& bytes)
{
    std::string text;
    for (const DisassembledScript& script : DisassembleScriptFile(bytes)) {
        text += "[" + script.name + "]\n";
        for (const ScriptTokens& statement : script.statements) {
            text += FormatStatement(statement) + "\n";
        }
    }
    return text;
}

}  // namespace qmtest
