// Binary layout of our vertex-shader token streams (what D3DXAssembleShader writes and
// IDirect3DDevice8::CreateVertexShader reads). Only our own assembler and translator use it.
//
// A stream is a sequence of little 32-bit tokens:
//   version token      0xFFFE0000 | major << 8 | minor            (vs.1.0 → 0xFFFE0100, vs.1.1 → 0xFFFE0101)
//   instructions ...   each an instruction token followed by exactly `count` parameter tokens
//   end token          0x0000FFFF
//
// Instruction token (bit 31 clear):
//   bits  0-15  opcode (OpCode below; 0xFFFF is the end token)
//   bits 24-27  number of parameter tokens that follow (must equal OperandCount(opcode))
//   other bits  zero
// Parameter tokens, destination first, then the sources in operand order (bit 31 set):
//   bits  0-10  register number (for a relative constant: the offset added to a0.x)
//   bit     13  relative addressing through a0.x (sources of type Const only, vs.1.1)
//   bits 16-19  destination write mask (x = 1, y = 2, z = 4, w = 8)
//   bits 16-23  source swizzle: two bits per output component, x in bits 16-17 … w in bits 22-23,
//               each naming the source component (0 x, 1 y, 2 z, 3 w); 0xE4 is .xyzw
//   bits 24-27  source modifier (0 none, 1 negate)
//   bits 28-30  register type (RegType below)
//   other bits  zero
// `def` carries a Const destination token followed by four raw IEEE floats (their bit 31 may be set,
// which is why decoders count parameters instead of looking at bit 31).
#pragma once

#include "platform/win32/types.h"

namespace platform::vs {

constexpr DWORD kVersionTag = 0xFFFE0000u;
constexpr DWORD kEndToken = 0x0000FFFFu;
constexpr DWORD kParamBit = 0x80000000u;

constexpr UINT kTempCount = 12;     // r0-r11
constexpr UINT kInputCount = 16;    // v0-v15
constexpr UINT kConstCount = 96;    // c0-c95
constexpr UINT kTexCoordCount = 8;  // oT0-oT7
constexpr UINT kColorCount = 2;     // oD0, oD1

enum class OpCode : WORD {
    Nop = 0,
    Mov = 1,
    Add = 2,
    Sub = 3,
    Mad = 4,
    Mul = 5,
    Rcp = 6,
    Rsq = 7,
    Dp3 = 8,
    Dp4 = 9,
    Min = 10,
    Max = 11,
    Slt = 12,
    Sge = 13,
    Exp = 14,   // full precision 2^w, replicated
    Log = 15,   // full precision log2|w|, replicated
    Lit = 16,
    Dst = 17,
    Frc = 18,
    ExpP = 19,  // partial precision: (2^floor(w), fraction, 2^w, 1)
    LogP = 20,  // partial precision: (exponent, mantissa, log2|w|, 1)
    M4x4 = 21,
    M4x3 = 22,
    M3x4 = 23,
    M3x3 = 24,
    M3x2 = 25,
    Def = 26,
};
constexpr WORD kOpCodeCount = 27;

enum class RegType : BYTE {
    Temp = 0,       // rN
    Input = 1,      // vN
    Const = 2,      // cN
    Address = 3,    // a0
    RastOut = 4,    // oPos (0), oFog (1), oPts (2)
    AttrOut = 5,    // oD0, oD1
    TexCrdOut = 6,  // oT0-oT7
};
constexpr BYTE kRegTypeCount = 7;

enum RastOutIndex : UINT { kOutPosition = 0, kOutFog = 1, kOutPointSize = 2 };

constexpr DWORD kMaskX = 1, kMaskY = 2, kMaskZ = 4, kMaskW = 8, kMaskAll = 15;
constexpr BYTE kSwizzleIdentity = 0xE4;

constexpr DWORD VersionToken(UINT major, UINT minor) { return kVersionTag | (major & 0xFF) << 8 | (minor & 0xFF); }
constexpr bool IsVersionToken(DWORD t) { return (t & 0xFFFF0000u) == kVersionTag; }
constexpr UINT VersionMajor(DWORD t) { return (t >> 8) & 0xFF; }
constexpr UINT VersionMinor(DWORD t) { return t & 0xFF; }

// Number of parameter tokens an opcode carries (destination + sources; def: destination + 4 floats).
constexpr UINT OperandCount(OpCode op) {
    switch (op) {
    case OpCode::Nop: return 0;
    case OpCode::Mov: case OpCode::Rcp: case OpCode::Rsq: case OpCode::Exp: case OpCode::Log:
    case OpCode::Lit: case OpCode::Frc: case OpCode::ExpP: case OpCode::LogP: return 2;
    case OpCode::Mad: return 4;
    case OpCode::Def: return 5;
    default: return 3;
    }
}

// Rows a matrix macro reads (0 for every other opcode), and the components it writes.
constexpr UINT MatrixRows(OpCode op) {
    switch (op) {
    case OpCode::M4x4: case OpCode::M3x4: return 4;
    case OpCode::M4x3: case OpCode::M3x3: return 3;
    case OpCode::M3x2: return 2;
    default: return 0;
    }
}
constexpr bool MatrixUsesDp4(OpCode op) { return op == OpCode::M4x4 || op == OpCode::M4x3; }

// Operations that read one scalar: the w component after the swizzle (a replicate swizzle picks it).
constexpr bool IsScalarOp(OpCode op) {
    return op == OpCode::Rcp || op == OpCode::Rsq || op == OpCode::Exp || op == OpCode::Log ||
           op == OpCode::ExpP || op == OpCode::LogP;
}

constexpr DWORD InstructionToken(OpCode op) {
    return static_cast<DWORD>(op) | static_cast<DWORD>(OperandCount(op)) << 24;
}
constexpr bool IsInstructionToken(DWORD t) { return (t & 0xF0FF0000u) == 0 && t != kEndToken; }
constexpr WORD InstructionOpcode(DWORD t) { return static_cast<WORD>(t & 0xFFFF); }
constexpr UINT InstructionParamCount(DWORD t) { return (t >> 24) & 0xF; }

struct DestParam {
    RegType type = RegType::Temp;
    UINT index = 0;
    DWORD mask = kMaskAll;
};

struct SrcParam {
    RegType type = RegType::Temp;
    UINT index = 0;
    BYTE swizzle = kSwizzleIdentity;
    bool negate = false;
    bool relative = false;  // c[a0.x + index]
};

// Source component selected for output component i (0..3) by a swizzle.
constexpr UINT SwizzleComponent(BYTE swizzle, UINT i) { return (swizzle >> (i * 2)) & 3; }
constexpr BYTE MakeSwizzle(UINT x, UINT y, UINT z, UINT w) {
    return static_cast<BYTE>((x & 3) | (y & 3) << 2 | (z & 3) << 4 | (w & 3) << 6);
}

constexpr DWORD EncodeDest(const DestParam& d) {
    return kParamBit | (d.index & 0x7FF) | (d.mask & 0xF) << 16 | (static_cast<DWORD>(d.type) & 7) << 28;
}

constexpr DWORD EncodeSrc(const SrcParam& s) {
    return kParamBit | (s.index & 0x7FF) | (s.relative ? 1u << 13 : 0u) | static_cast<DWORD>(s.swizzle) << 16 |
           (s.negate ? 1u << 24 : 0u) | (static_cast<DWORD>(s.type) & 7) << 28;
}

// Bits that must be zero in a well-formed parameter token.
constexpr DWORD kDestReservedBits = 0x0FF0F800u;
constexpr DWORD kSrcReservedBits = 0x0E00D800u;

constexpr bool IsParamToken(DWORD t) { return (t & kParamBit) != 0; }
constexpr BYTE ParamRegTypeBits(DWORD t) { return static_cast<BYTE>((t >> 28) & 7); }

constexpr DestParam DecodeDest(DWORD t) {
    return DestParam{static_cast<RegType>((t >> 28) & 7), t & 0x7FF, (t >> 16) & 0xF};
}

constexpr SrcParam DecodeSrc(DWORD t) {
    return SrcParam{static_cast<RegType>((t >> 28) & 7), t & 0x7FF, static_cast<BYTE>((t >> 16) & 0xFF),
                    ((t >> 24) & 0xF) == 1, (t & (1u << 13)) != 0};
}

}  // namespace platform::vs
