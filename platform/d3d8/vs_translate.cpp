#include "platform/d3d8/vs_translate.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace platform {

namespace {

using namespace vs;

std::string Hex(DWORD v) {
    static const char digits[] = "0123456789ABCDEF";
    std::string s = "0x";
    for (int shift = 28; shift >= 0; shift -= 4) {
        s += digits[(v >> shift) & 0xF];
    }
    return s;
}

std::string At(size_t pos) { return "token " + std::to_string(pos) + ": "; }

// Registers of each type that an instruction may write, and how many of them there are.
UINT WritableCount(RegType type) {
    switch (type) {
    case RegType::Temp: return kTempCount;
    case RegType::Address: return 1;
    case RegType::RastOut: return 3;
    case RegType::AttrOut: return kColorCount;
    case RegType::TexCrdOut: return kTexCoordCount;
    default: return 0;
    }
}

UINT ReadableCount(RegType type) {
    switch (type) {
    case RegType::Temp: return kTempCount;
    case RegType::Input: return kInputCount;
    case RegType::Const: return kConstCount;
    default: return 0;
    }
}

// The relative form c[a0.x + n] maps onto GL's relative addressing, whose offsets stop at 63.
constexpr UINT kMaxRelativeOffset = 63;

bool DecodeDestToken(DWORD t, OpCode op, const VsProgram& prog, size_t pos, DestParam& d, std::string& error) {
    if (!IsParamToken(t) || (t & kDestReservedBits) != 0 || ParamRegTypeBits(t) >= kRegTypeCount) {
        error = At(pos) + "malformed destination " + Hex(t);
        return false;
    }
    d = DecodeDest(t);
    if (d.mask == 0) {
        error = At(pos) + "empty write mask";
        return false;
    }
    if (op == OpCode::Def) {
        if (d.type != RegType::Const || d.index >= kConstCount) {
            error = At(pos) + "def needs a constant register c0-c95";
            return false;
        }
        return true;
    }
    const UINT limit = WritableCount(d.type);
    if (d.index >= limit) {
        error = At(pos) + "destination register out of range";
        return false;
    }
    if (d.type == RegType::Address && (op != OpCode::Mov || d.mask != kMaskX || prog.minor < 1)) {
        error = At(pos) + "a0 is written only by mov a0.x (vs.1.1)";
        return false;
    }
    if (d.type == RegType::RastOut && d.index != kOutPosition && d.mask != kMaskX) {
        error = At(pos) + "oFog and oPts take only .x";
        return false;
    }
    const UINT rows = MatrixRows(op);
    if (rows != 0 && (d.mask & ~((1u << rows) - 1)) != 0) {
        error = At(pos) + "write mask reaches past the matrix rows";
        return false;
    }
    return true;
}

bool DecodeSrcToken(DWORD t, OpCode op, UINT operand, const VsProgram& prog, size_t pos, SrcParam& s,
                    std::string& error) {
    if (!IsParamToken(t) || (t & kSrcReservedBits) != 0 || ParamRegTypeBits(t) >= kRegTypeCount) {
        error = At(pos) + "malformed source " + Hex(t);
        return false;
    }
    s = DecodeSrc(t);
    const UINT limit = ReadableCount(s.type);
    if (limit == 0) {
        error = At(pos) + "register type cannot be read";
        return false;
    }
    // The matrix operand of m4x4 and friends spans several consecutive registers.
    const UINT span = (operand == 1 && MatrixRows(op) != 0) ? MatrixRows(op) : 1;
    if (s.relative) {
        if (s.type != RegType::Const || prog.minor < 1) {
            error = At(pos) + "relative addressing needs a constant register and vs.1.1";
            return false;
        }
        if (s.index + span - 1 > kMaxRelativeOffset) {
            error = At(pos) + "relative offset above 63";
            return false;
        }
        return true;
    }
    if (s.index + span > limit) {
        error = At(pos) + "source register out of range";
        return false;
    }
    return true;
}

}  // namespace

bool DecodeVertexShader(const DWORD* tokens, size_t tokenCount, VsProgram& out, std::string& error) {
    out = VsProgram{};
    if (tokens == nullptr || tokenCount == 0) {
        error = "empty token stream";
        return false;
    }
    if (!IsVersionToken(tokens[0])) {
        error = "missing version token";
        return false;
    }
    out.major = VersionMajor(tokens[0]);
    out.minor = VersionMinor(tokens[0]);
    if (out.major != 1 || out.minor > 1) {
        error = "unsupported version " + std::to_string(out.major) + "." + std::to_string(out.minor);
        return false;
    }
    size_t pos = 1;
    for (;;) {
        if (pos >= tokenCount) {
            error = "missing end token";
            return false;
        }
        const DWORD t = tokens[pos];
        if (t == kEndToken) {
            return true;
        }
        if (!IsInstructionToken(t) || InstructionOpcode(t) >= kOpCodeCount) {
            error = At(pos) + "not an instruction " + Hex(t);
            return false;
        }
        VsInstruction ins;
        ins.op = static_cast<OpCode>(InstructionOpcode(t));
        const UINT count = InstructionParamCount(t);
        if (count != OperandCount(ins.op)) {
            error = At(pos) + "wrong parameter count";
            return false;
        }
        if (tokenCount - pos - 1 < count) {
            error = At(pos) + "instruction runs past the end of the stream";
            return false;
        }
        if (count > 0 && !DecodeDestToken(tokens[pos + 1], ins.op, out, pos + 1, ins.dst, error)) {
            return false;
        }
        if (ins.op == OpCode::Def) {
            for (UINT i = 0; i < 4; ++i) {
                const DWORD bits = tokens[pos + 2 + i];
                std::memcpy(&ins.value[i], &bits, sizeof(float));
                if (!std::isfinite(ins.value[i])) {
                    error = At(pos + 2 + i) + "def value is not a finite number";
                    return false;
                }
            }
        } else {
            ins.srcCount = count > 0 ? count - 1 : 0;
            for (UINT i = 0; i < ins.srcCount; ++i) {
                if (!DecodeSrcToken(tokens[pos + 2 + i], ins.op, i, out, pos + 2 + i, ins.src[i], error)) {
                    return false;
                }
            }
        }
        out.code.push_back(ins);
        pos += 1 + count;
    }
}

namespace {

const char kComp[] = "xyzw";

std::string Num(float f) {
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof(buf), f);
    return std::string(buf, r.ptr);
}

std::string MaskText(DWORD mask) {
    if (mask == kMaskAll) {
        return "";
    }
    std::string s = ".";
    for (int i = 0; i < 4; ++i) {
        if (mask & (1u << i)) {
            s += kComp[i];
        }
    }
    return s;
}

class Translator {
public:
    Translator(const VsProgram& prog, const VsConstantInputs* constantInputs)
        : prog_(prog), constantInputs_(constantInputs)
    {
    }

    VsTranslation Run() {
        Scan();
        std::string body;
        for (const VsInstruction& ins : prog_.code) {
            Emit(ins, body);
        }
        if ((written_[Slot(RegType::RastOut, kOutPosition)]) == 0) {
            return {false, "", "oPos is never written", {}, 0, false};
        }
        std::string text = "!!ARBvp1.0\n";
        text += "PARAM qm_k = {0, 1, 2, 0.5};\n";
        Declarations(text);
        if (written_[Slot(RegType::RastOut, kOutPosition)] != kMaskAll) {
            text += "MOV qm_pos, qm_k.xxxy;\n";
        }
        text += body;
        Epilogue(text);
        text += "END\n";
        VsTranslation out{true, text, "", {}, 0, false};
        for (UINT i = 0; i < kConstCount; ++i) {
            if (constRead_[i] && !def_[i]) {
                out.constantsRead.push_back(i);
            }
        }
        out.inputsRead = inputsRead_;
        out.relative = relative_;
        return out;
    }

private:
    // Written components of each output register, indexed by Slot().
    static size_t Slot(RegType type, UINT index) {
        switch (type) {
        case RegType::RastOut: return index;
        case RegType::AttrOut: return 3 + index;
        default: return 5 + index;  // TexCrdOut
        }
    }

    void Scan() {
        for (const VsInstruction& ins : prog_.code) {
            if (ins.op == OpCode::Def) {
                def_[ins.dst.index] = true;
                defValue_[ins.dst.index] = ins.value;
                continue;
            }
            if (ins.op == OpCode::Nop) {
                continue;
            }
            const DestParam& d = ins.dst;
            if (d.type == RegType::Temp) {
                tempUsed_[d.index] = true;
            } else if (d.type == RegType::Address) {
                addressUsed_ = true;
            } else {
                written_[Slot(d.type, d.index)] |= d.mask;
            }
            for (UINT i = 0; i < ins.srcCount; ++i) {
                const SrcParam& s = ins.src[i];
                const UINT span = (i == 1 && MatrixRows(ins.op) != 0) ? MatrixRows(ins.op) : 1;
                for (UINT k = 0; k < span; ++k) {
                    if (s.type == RegType::Temp) {
                        tempUsed_[s.index + k] = true;
                    } else if (s.type == RegType::Const && !s.relative && s.index + k < kConstCount) {
                        constRead_[s.index + k] = true;
                    } else if (s.type == RegType::Input && s.index + k < 32) {
                        inputsRead_ |= 1U << (s.index + k);
                    }
                }
                if (s.relative) {
                    relative_ = true;
                }
            }
        }
    }

    void Declarations(std::string& text) const {
        std::string temps = "qm_t, qm_pos, qm_fog";
        for (UINT i = 0; i < kTempCount; ++i) {
            if (tempUsed_[i]) {
                temps += ", r" + std::to_string(i);
            }
        }
        text += "TEMP " + temps + ";\n";
        if (addressUsed_ || relative_) {
            text += "ADDRESS a0;\n";
        }
        if (relative_) {
            // Relative reads need one array over the whole constant file; defs sit in it as literals.
            text += "PARAM c[" + std::to_string(kConstCount) + "] = { ";
            UINT i = 0;
            bool first = true;
            while (i < kConstCount) {
                if (!first) {
                    text += ", ";
                }
                first = false;
                if (def_[i]) {
                    text += Literal(defValue_[i]);
                    ++i;
                    continue;
                }
                UINT j = i;
                while (j + 1 < kConstCount && !def_[j + 1]) {
                    ++j;
                }
                text += "program.env[" + std::to_string(i) + ".." + std::to_string(j) + "]";
                i = j + 1;
            }
            text += " };\n";
        } else {
            for (UINT i = 0; i < kConstCount; ++i) {
                if (def_[i]) {
                    text += "PARAM qm_d" + std::to_string(i) + " = " + Literal(defValue_[i]) + ";\n";
                }
            }
        }
    }

    static std::string Literal(const std::array<float, 4>& v) {
        std::string text = "{";  // appended in steps: GCC 12 warns falsely on a chain of operator+
        for (int i = 0; i < 4; ++i) {
            text += Num(v[i]);
            text += i < 3 ? ", " : "}";
        }
        return text;
    }

    std::string RegName(RegType type, UINT index, bool relative) const {
        switch (type) {
        case RegType::Temp: return "r" + std::to_string(index);
        case RegType::Input: return "vertex.attrib[" + std::to_string(index) + "]";
        case RegType::Const:
            if (relative) {
                return "c[a0.x + " + std::to_string(index) + "]";
            }
            if (relative_) {
                return "c[" + std::to_string(index) + "]";
            }
            if (def_[index]) {
                return "qm_d" + std::to_string(index);
            }
            if (constantInputs_ != nullptr && (*constantInputs_)[index] >= 0) {
                return "vertex.attrib[" + std::to_string((*constantInputs_)[index]) + "]";
            }
            return "program.env[" + std::to_string(index) + "]";
        default: return "?";
        }
    }

    // A source operand; `row` steps through the registers of a matrix operand; `scalar` keeps only the
    // component that the w of the swizzle names (rcp, rsq, exp, log and friends).
    std::string Src(const SrcParam& s, UINT row = 0, bool scalar = false) const {
        std::string text = s.negate ? "-" : "";
        text += RegName(s.type, s.index + row, s.relative);
        if (scalar) {
            text += '.';
            text += kComp[SwizzleComponent(s.swizzle, 3)];
        } else if (s.swizzle != kSwizzleIdentity) {
            text += '.';
            for (UINT i = 0; i < 4; ++i) {
                text += kComp[SwizzleComponent(s.swizzle, i)];
            }
        }
        return text;
    }

    static std::string DstName(const DestParam& d) {
        switch (d.type) {
        case RegType::Temp: return "r" + std::to_string(d.index);
        case RegType::Address: return "a0";
        case RegType::RastOut:
            return d.index == kOutPosition ? "qm_pos" : d.index == kOutFog ? "qm_fog" : "result.pointsize";
        case RegType::AttrOut: return d.index == 0 ? "result.color" : "result.color.secondary";
        case RegType::TexCrdOut: return "result.texcoord[" + std::to_string(d.index) + "]";
        default: return "?";
        }
    }

    static std::string Dst(const DestParam& d) { return DstName(d) + MaskText(d.mask); }

    static const char* ArbName(OpCode op) {
        switch (op) {
        case OpCode::Mov: return "MOV";
        case OpCode::Add: return "ADD";
        case OpCode::Sub: return "SUB";
        case OpCode::Mad: return "MAD";
        case OpCode::Mul: return "MUL";
        case OpCode::Rcp: return "RCP";
        case OpCode::Rsq: return "RSQ";
        case OpCode::Dp3: return "DP3";
        case OpCode::Dp4: return "DP4";
        case OpCode::Min: return "MIN";
        case OpCode::Max: return "MAX";
        case OpCode::Slt: return "SLT";
        case OpCode::Sge: return "SGE";
        case OpCode::Exp: return "EX2";
        case OpCode::Lit: return "LIT";
        case OpCode::Dst: return "DST";
        case OpCode::Frc: return "FRC";
        case OpCode::ExpP: return "EXP";
        case OpCode::LogP: return "LOG";
        default: return nullptr;
        }
    }

    void Emit(const VsInstruction& ins, std::string& out) const {
        const UINT rows = MatrixRows(ins.op);
        if (ins.op == OpCode::Nop || ins.op == OpCode::Def) {
            return;
        }
        if (rows != 0) {
            EmitMatrix(ins, rows, out);
            return;
        }
        if (ins.op == OpCode::Mov && ins.dst.type == RegType::Address) {
            // D3D's mov a0.x rounds down like ARL does.
            SrcParam s = ins.src[0];
            s.swizzle = MakeSwizzle(0, 0, 0, SwizzleComponent(s.swizzle, 0));
            out += "ARL a0.x, " + Src(s, 0, true) + ";\n";
            return;
        }
        if (ins.op == OpCode::Log) {
            // Full-precision log of |w|; LG2 alone leaves negative input undefined.
            out += "MAX qm_t.x, " + Src(ins.src[0], 0, true) + ", " + Src(Negated(ins.src[0]), 0, true) + ";\n";
            out += "LG2 " + Dst(ins.dst) + ", qm_t.x;\n";
            return;
        }
        const bool scalar = IsScalarOp(ins.op);
        std::string line = std::string(ArbName(ins.op)) + " " + Dst(ins.dst);
        for (UINT i = 0; i < ins.srcCount; ++i) {
            line += ", " + Src(ins.src[i], 0, scalar);
        }
        out += line + ";\n";
    }

    static SrcParam Negated(SrcParam s) {
        s.negate = !s.negate;
        return s;
    }

    void EmitMatrix(const VsInstruction& ins, UINT rows, std::string& out) const {
        const char* dp = MatrixUsesDp4(ins.op) ? "DP4" : "DP3";
        const SrcParam& v = ins.src[0];
        const SrcParam& m = ins.src[1];
        // Writing the destination row by row would clobber a vector or matrix that lives in it.
        const bool overlaps = ins.dst.type == RegType::Temp &&
                              ((v.type == RegType::Temp && v.index == ins.dst.index) ||
                               (m.type == RegType::Temp && ins.dst.index >= m.index && ins.dst.index < m.index + rows));
        const std::string target = overlaps ? "qm_t" : DstName(ins.dst);
        for (UINT k = 0; k < rows; ++k) {
            if (ins.dst.mask & (1u << k)) {
                out += std::string(dp) + " " + target + "." + kComp[k] + ", " + Src(v) + ", " + Src(m, k) + ";\n";
            }
        }
        if (overlaps) {
            out += "MOV " + Dst(ins.dst) + ", qm_t;\n";
        }
    }

    void Epilogue(std::string& text) const {
        text += "MOV result.position.xyw, qm_pos;\n";
        text += "MAD result.position.z, qm_pos.z, qm_k.z, -qm_pos.w;\n";
        if (written_[Slot(RegType::RastOut, kOutFog)] != 0) {
            text += "MAX qm_fog.x, qm_fog.x, qm_k.x;\n";
            text += "MIN result.fogcoord.x, qm_fog.x, qm_k.y;\n";
        } else {
            text += "MOV result.fogcoord.x, qm_k.y;\n";
        }
        const DWORD d0Left = kMaskAll & ~written_[Slot(RegType::AttrOut, 0)];
        if (d0Left != 0) {
            text += "MOV result.color" + MaskText(d0Left) + ", qm_k.y;\n";
        }
        const DWORD d1Left = kMaskAll & ~written_[Slot(RegType::AttrOut, 1)];
        if (d1Left != 0) {
            text += "MOV result.color.secondary" + MaskText(d1Left) + ", qm_k.x;\n";
        }
        for (UINT n = 0; n < kTexCoordCount; ++n) {
            const DWORD w = written_[Slot(RegType::TexCrdOut, n)];
            if (w != 0 && w != kMaskAll) {
                text += "MOV result.texcoord[" + std::to_string(n) + "]" + MaskText(kMaskAll & ~w) + ", qm_k.xxxy;\n";
            }
        }
    }

    const VsProgram& prog_;
    const VsConstantInputs* constantInputs_;
    bool tempUsed_[kTempCount] = {};
    bool constRead_[kConstCount] = {};
    UINT inputsRead_ = 0;
    bool def_[kConstCount] = {};
    std::array<float, 4> defValue_[kConstCount] = {};
    DWORD written_[5 + kTexCoordCount] = {};
    bool addressUsed_ = false;
    bool relative_ = false;
};

}  // namespace

VsTranslation TranslateVertexShader(const DWORD* tokens, size_t tokenCount, const VsConstantInputs* constantInputs) {
    VsProgram prog;
    std::string error;
    if (!DecodeVertexShader(tokens, tokenCount, prog, error)) {
        return {false, "", error, {}, 0, false};
    }
    return Translator(prog, constantInputs).Run();
}

}  // namespace platform
