#include "platform/d3dx8/d3dx8shader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/d3d8/shader_tokens.h"
#include "platform/d3d8/vs_translate.h"

namespace {

using namespace platform::vs;

struct OpInfo {
    const char* name;
    OpCode op;
    UINT slots;  // instruction slots it costs against the 128 of vs.1.x
};

constexpr OpInfo kOps[] = {
    {"nop", OpCode::Nop, 1},   {"mov", OpCode::Mov, 1},   {"add", OpCode::Add, 1},   {"sub", OpCode::Sub, 1},
    {"mad", OpCode::Mad, 1},   {"mul", OpCode::Mul, 1},   {"rcp", OpCode::Rcp, 1},   {"rsq", OpCode::Rsq, 1},
    {"dp3", OpCode::Dp3, 1},   {"dp4", OpCode::Dp4, 1},   {"min", OpCode::Min, 1},   {"max", OpCode::Max, 1},
    {"slt", OpCode::Slt, 1},   {"sge", OpCode::Sge, 1},   {"exp", OpCode::Exp, 12},  {"log", OpCode::Log, 12},
    {"lit", OpCode::Lit, 1},   {"dst", OpCode::Dst, 1},   {"frc", OpCode::Frc, 3},   {"expp", OpCode::ExpP, 1},
    {"logp", OpCode::LogP, 1}, {"m4x4", OpCode::M4x4, 4}, {"m4x3", OpCode::M4x3, 3}, {"m3x4", OpCode::M3x4, 4},
    {"m3x3", OpCode::M3x3, 3}, {"m3x2", OpCode::M3x2, 2}, {"def", OpCode::Def, 0},
};

constexpr UINT kMaxSlots = 128;

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsSpace(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && IsSpace(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

std::string Lower(std::string_view s) {
    std::string r(s);
    for (char& c : r) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return r;
}

// Parses 1-3 decimal digits; anything else (or more) is not an index.
std::optional<UINT> ParseIndex(std::string_view s) {
    if (s.empty() || s.size() > 3) {
        return std::nullopt;
    }
    UINT v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        v = v * 10 + static_cast<UINT>(c - '0');
    }
    return v;
}

int ComponentOf(char c) {
    switch (c) {
    case 'x': case 'r': return 0;
    case 'y': case 'g': return 1;
    case 'z': case 'b': return 2;
    case 'w': case 'a': return 3;
    default: return -1;
    }
}

struct Register {
    RegType type = RegType::Temp;
    UINT index = 0;
    bool relative = false;
};

class Assembler {
public:
    bool Run(std::string_view text) {
        size_t start = 0;
        int lineNo = 0;
        while (start <= text.size() && !stop_) {
            size_t end = text.find('\n', start);
            if (end == std::string_view::npos) {
                end = text.size();
            }
            ++lineNo;
            Line(lineNo, text.substr(start, end - start));
            start = end + 1;
        }
        if (!stop_ && errors_.empty()) {
            if (!haveVersion_) {
                errors_ += "line 1: missing version line (vs.1.0 or vs.1.1)\n";
            } else if (!posWritten_) {
                errors_ += "line " + std::to_string(lastLine_) + ": oPos is never written\n";
            } else if (slots_ > kMaxSlots) {
                errors_ += "line " + std::to_string(lastLine_) + ": too many instructions (" + std::to_string(slots_) +
                           " slots, at most 128)\n";
            }
        }
        if (!errors_.empty()) {
            return false;
        }
        tokens_.push_back(kEndToken);
        // Whatever the line checks let through must still be a stream the device accepts.
        platform::VsProgram prog;
        std::string why;
        if (!platform::DecodeVertexShader(tokens_.data(), tokens_.size(), prog, why)) {
            errors_ = "assembled stream rejected: " + why + "\n";
            return false;
        }
        return true;
    }

    const std::vector<DWORD>& Tokens() const { return tokens_; }
    const std::string& Errors() const { return errors_; }

private:
    void Fail(std::string message) { errors_ += "line " + std::to_string(line_) + ": " + message + "\n"; }

    void Line(int number, std::string_view raw) {
        line_ = number;
        // Comments run to the end of the line and may hold any text.
        size_t cut = raw.find(';');
        const size_t slashes = raw.find("//");
        if (slashes < cut) {
            cut = slashes;
        }
        std::string_view s = Trim(raw.substr(0, std::min(cut, raw.size())));
        if (s.empty()) {
            return;
        }
        lastLine_ = number;
        for (char c : s) {
            const auto u = static_cast<unsigned char>(c);
            if ((u < 0x20 && !IsSpace(c)) || u >= 0x7F) {
                Fail("unexpected character");
                return;
            }
        }
        const std::string lower = Lower(s);
        if (lower == "vs.1.0" || lower == "vs.1.1") {
            if (haveVersion_) {
                Fail("second version line");
                return;
            }
            haveVersion_ = true;
            minor_ = lower == "vs.1.1" ? 1 : 0;
            tokens_.push_back(VersionToken(1, minor_));
            return;
        }
        if (!haveVersion_) {
            Fail("missing version line (vs.1.0 or vs.1.1)");
            stop_ = true;
            return;
        }
        Instruction(s);
    }

    void Instruction(std::string_view s) {
        size_t n = 0;
        while (n < s.size() && !IsSpace(s[n])) {
            ++n;
        }
        const std::string name = Lower(s.substr(0, n));
        const OpInfo* info = nullptr;
        for (const OpInfo& o : kOps) {
            if (name == o.name) {
                info = &o;
            }
        }
        if (info == nullptr) {
            Fail("unknown instruction '" + std::string(s.substr(0, n)) + "'");
            return;
        }
        std::vector<std::string_view> ops;
        const std::string_view rest = Trim(s.substr(n));
        if (!rest.empty()) {
            size_t from = 0;
            for (;;) {
                const size_t comma = rest.find(',', from);
                ops.push_back(Trim(rest.substr(from, comma == std::string_view::npos ? std::string_view::npos
                                                                                      : comma - from)));
                if (comma == std::string_view::npos) {
                    break;
                }
                from = comma + 1;
            }
        }
        const OpCode op = info->op;
        const UINT want = OperandCount(op);
        if (ops.size() != want) {
            Fail("'" + name + "' takes " + std::to_string(want) + " operands, found " + std::to_string(ops.size()));
            return;
        }
        for (std::string_view o : ops) {
            if (o.empty()) {
                Fail("empty operand");
                return;
            }
        }
        std::vector<DWORD> out;
        out.push_back(InstructionToken(op));
        if (op == OpCode::Def) {
            if (!Def(ops, out)) {
                return;
            }
        } else if (op != OpCode::Nop) {
            DestParam d;
            if (!Dest(ops[0], op, d)) {
                return;
            }
            out.push_back(EncodeDest(d));
            for (size_t i = 1; i < ops.size(); ++i) {
                SrcParam sp;
                if (!Source(ops[i], op, static_cast<UINT>(i - 1), sp)) {
                    return;
                }
                out.push_back(EncodeSrc(sp));
            }
            if (d.type == RegType::RastOut && d.index == kOutPosition) {
                posWritten_ = true;
            }
        }
        slots_ += info->slots;
        tokens_.insert(tokens_.end(), out.begin(), out.end());
    }

    bool Def(const std::vector<std::string_view>& ops, std::vector<DWORD>& out) {
        const std::optional<Register> reg = ParseRegister(ops[0]);
        if (!reg || reg->type != RegType::Const || reg->relative) {
            Fail("def needs a constant register, found '" + std::string(ops[0]) + "'");
            return false;
        }
        if (reg->index >= kConstCount) {
            Fail("register index out of range '" + std::string(ops[0]) + "'");
            return false;
        }
        out.push_back(EncodeDest(DestParam{RegType::Const, reg->index, kMaskAll}));
        for (size_t i = 1; i < 5; ++i) {
            const std::string_view t = ops[i];
            float f = 0.0f;
            const auto r = std::from_chars(t.data(), t.data() + t.size(), f, std::chars_format::general);
            if (r.ec != std::errc() || r.ptr != t.data() + t.size() || !std::isfinite(f)) {
                Fail("bad number '" + std::string(t) + "'");
                return false;
            }
            DWORD bits = 0;
            std::memcpy(&bits, &f, sizeof(bits));
            out.push_back(bits);
        }
        return true;
    }

    // Register names without their mask or swizzle: r0, v3, c12, c[a0.x + 4], a0, oPos, oD0, oT1, oFog, oPts.
    std::optional<Register> ParseRegister(std::string_view text) const {
        const std::string s = Lower(text);
        Register r;
        if (s.size() >= 2 && s[0] == 'c' && s[1] == '[') {
            if (s.back() != ']') {
                return std::nullopt;
            }
            std::string inner;
            for (char c : s.substr(2, s.size() - 3)) {
                if (!IsSpace(c)) {
                    inner += c;
                }
            }
            r.type = RegType::Const;
            if (inner.rfind("a0.x", 0) == 0) {
                r.relative = true;
                const std::string_view tail = std::string_view(inner).substr(4);
                if (tail.empty()) {
                    return r;
                }
                if (tail[0] != '+') {
                    return std::nullopt;
                }
                const std::optional<UINT> off = ParseIndex(tail.substr(1));
                if (!off) {
                    return std::nullopt;
                }
                r.index = *off;
                return r;
            }
            const std::optional<UINT> idx = ParseIndex(inner);
            if (!idx) {
                return std::nullopt;
            }
            r.index = *idx;
            return r;
        }
        if (s == "a0") {
            r.type = RegType::Address;
            return r;
        }
        if (s == "opos" || s == "ofog" || s == "opts") {
            r.type = RegType::RastOut;
            r.index = s == "opos" ? kOutPosition : s == "ofog" ? kOutFog : kOutPointSize;
            return r;
        }
        std::string_view digits;
        if (s.size() >= 2 && (s.rfind("od", 0) == 0 || s.rfind("ot", 0) == 0)) {
            r.type = s[1] == 'd' ? RegType::AttrOut : RegType::TexCrdOut;
            digits = std::string_view(s).substr(2);
        } else if (!s.empty() && (s[0] == 'r' || s[0] == 'v' || s[0] == 'c')) {
            r.type = s[0] == 'r' ? RegType::Temp : s[0] == 'v' ? RegType::Input : RegType::Const;
            digits = std::string_view(s).substr(1);
        } else {
            return std::nullopt;
        }
        const std::optional<UINT> idx = ParseIndex(digits);
        if (!idx) {
            return std::nullopt;
        }
        r.index = *idx;
        return r;
    }

    // Splits "reg.suffix" at the dot that follows the register (the one inside c[a0.x] is skipped).
    static void SplitSuffix(std::string_view text, std::string_view& reg, std::string_view& suffix, bool& hasDot) {
        size_t from = 0;
        const size_t bracket = text.find(']');
        if (bracket != std::string_view::npos) {
            from = bracket;
        }
        const size_t dot = text.find('.', from);
        hasDot = dot != std::string_view::npos;
        reg = Trim(hasDot ? text.substr(0, dot) : text);
        suffix = hasDot ? Trim(text.substr(dot + 1)) : std::string_view();
    }

    bool Dest(std::string_view text, OpCode op, DestParam& d) {
        std::string_view regText, suffix;
        bool hasDot = false;
        SplitSuffix(text, regText, suffix, hasDot);
        const std::optional<Register> reg = ParseRegister(regText);
        if (!reg) {
            Fail("unknown register '" + std::string(text) + "'");
            return false;
        }
        if (reg->type == RegType::Input || reg->type == RegType::Const) {
            Fail("cannot write to '" + std::string(regText) + "'");
            return false;
        }
        const UINT limit = reg->type == RegType::Temp      ? kTempCount
                           : reg->type == RegType::AttrOut ? kColorCount
                           : reg->type == RegType::TexCrdOut ? kTexCoordCount
                                                             : 3;
        if (reg->index >= limit) {
            Fail("register index out of range '" + std::string(regText) + "'");
            return false;
        }
        d.type = reg->type;
        d.index = reg->index;
        const UINT rows = MatrixRows(op);
        const bool scalarOut = reg->type == RegType::Address ||
                               (reg->type == RegType::RastOut && reg->index != kOutPosition);
        d.mask = rows != 0 ? (1u << rows) - 1 : scalarOut ? kMaskX : kMaskAll;
        if (hasDot) {
            DWORD mask = 0;
            int last = -1;
            for (char c : Lower(suffix)) {
                const int comp = ComponentOf(c);
                if (comp <= last || suffix.size() > 4) {
                    Fail("bad write mask '." + std::string(suffix) + "'");
                    return false;
                }
                last = comp;
                mask |= 1u << comp;
            }
            if (mask == 0) {
                Fail("bad write mask '." + std::string(suffix) + "'");
                return false;
            }
            d.mask = mask;
        }
        if (rows != 0 && (d.mask & ~((1u << rows) - 1)) != 0) {
            Fail("'" + OpName(op) + "' writes only " + std::string(".xyzw").substr(0, rows + 1));
            return false;
        }
        if (reg->type == RegType::Address) {
            if (minor_ < 1) {
                Fail("a0 needs vs.1.1");
                return false;
            }
            if (op != OpCode::Mov || d.mask != kMaskX) {
                Fail("a0 is written only by 'mov a0.x'");
                return false;
            }
        } else if (scalarOut && d.mask != kMaskX) {
            Fail("'" + std::string(regText) + "' takes only .x");
            return false;
        }
        return true;
    }

    bool Source(std::string_view text, OpCode op, UINT operand, SrcParam& sp) {
        std::string_view body = text;
        sp.negate = false;
        if (!body.empty() && body[0] == '-') {
            sp.negate = true;
            body = Trim(body.substr(1));
        }
        std::string_view regText, suffix;
        bool hasDot = false;
        SplitSuffix(body, regText, suffix, hasDot);
        const std::optional<Register> reg = ParseRegister(regText);
        if (!reg) {
            Fail("unknown register '" + std::string(text) + "'");
            return false;
        }
        if (reg->type != RegType::Temp && reg->type != RegType::Input && reg->type != RegType::Const) {
            Fail("cannot read '" + std::string(regText) + "'");
            return false;
        }
        const UINT rows = operand == 1 ? MatrixRows(op) : 0;
        const UINT span = rows != 0 ? rows : 1;
        const UINT limit = reg->type == RegType::Temp ? kTempCount
                           : reg->type == RegType::Input ? kInputCount
                                                         : kConstCount;
        if (reg->relative) {
            if (minor_ < 1) {
                Fail("relative addressing needs vs.1.1");
                return false;
            }
            if (reg->index + span - 1 > 63) {
                Fail("relative offset above 63 '" + std::string(regText) + "'");
                return false;
            }
        } else if (reg->index + span > limit) {
            Fail("register index out of range '" + std::string(regText) + "'");
            return false;
        }
        sp.type = reg->type;
        sp.index = reg->index;
        sp.relative = reg->relative;
        sp.swizzle = kSwizzleIdentity;
        if (hasDot) {
            const std::string sw = Lower(suffix);
            if (sw.empty() || sw.size() > 4) {
                Fail("bad swizzle '." + std::string(suffix) + "'");
                return false;
            }
            UINT comps[4] = {};
            for (size_t i = 0; i < 4; ++i) {
                // A short swizzle repeats its last component: .xy is .xyyy.
                const int c = ComponentOf(sw[std::min(i, sw.size() - 1)]);
                if (c < 0) {
                    Fail("bad swizzle '." + std::string(suffix) + "'");
                    return false;
                }
                comps[i] = static_cast<UINT>(c);
            }
            sp.swizzle = MakeSwizzle(comps[0], comps[1], comps[2], comps[3]);
        }
        if (rows != 0 && (sp.negate || sp.swizzle != kSwizzleIdentity)) {
            Fail("the matrix operand takes no swizzle or negation");
            return false;
        }
        return true;
    }

    static std::string OpName(OpCode op) {
        for (const OpInfo& o : kOps) {
            if (o.op == op) {
                return o.name;
            }
        }
        return "?";
    }

    std::vector<DWORD> tokens_;
    std::string errors_;
    int line_ = 0;
    int lastLine_ = 0;
    bool haveVersion_ = false;
    bool stop_ = false;
    bool posWritten_ = false;
    UINT minor_ = 0;
    UINT slots_ = 0;
};

}  // namespace

HRESULT D3DXAssembleShader(LPCVOID src, UINT srcLen, DWORD /*flags*/, LPD3DXBUFFER* constants,
                           LPD3DXBUFFER* compiledShader, LPD3DXBUFFER* errors) {
    if (constants != nullptr) {
        *constants = nullptr;
    }
    if (compiledShader != nullptr) {
        *compiledShader = nullptr;
    }
    if (errors != nullptr) {
        *errors = nullptr;
    }
    if (src == nullptr && srcLen != 0) {
        return E_INVALIDARG;
    }
    Assembler as;
    const std::string_view text(static_cast<const char*>(src), src == nullptr ? 0 : srcLen);
    if (!as.Run(text)) {
        if (errors != nullptr) {
            const std::string& e = as.Errors();
            *errors = platform::NewD3DXBuffer(e.c_str(), e.size() + 1);
        }
        return E_FAIL;
    }
    if (compiledShader != nullptr) {
        const std::vector<DWORD>& t = as.Tokens();
        *compiledShader = platform::NewD3DXBuffer(t.data(), t.size() * sizeof(DWORD));
    }
    return S_OK;
}
