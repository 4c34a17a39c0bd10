// Vertex shaders: stream declarations and vs.1.x programs run as GL_ARB_vertex_program.
#include <cstring>

#include "platform/d3d8/device.h"
#include "platform/d3d8/direct3d8.h"
#include "platform/d3d8/vs_translate.h"

namespace platform::d3d8 {

namespace {

constexpr size_t kMaxDeclarationTokens = 4096;
constexpr size_t kMaxFunctionTokens = 65536;

UINT SizeOfType(DWORD type)
{
    static constexpr UINT kSizes[] = {4, 8, 12, 16, 4, 4, 4, 8};
    return kSizes[type];
}

bool ParseDeclaration(const DWORD* decl, VertexShaderObject* out)
{
    UINT stream = 0;
    UINT offset[2] = {0, 0};
    for (size_t i = 0; i < kMaxDeclarationTokens; ++i) {
        const DWORD t = decl[i];
        if (t == D3DVSD_END()) {
            return true;
        }
        switch (t >> D3DVSD_TOKENTYPESHIFT) {
        case D3DVSD_TOKEN_NOP:
            break;
        case D3DVSD_TOKEN_STREAM:
            stream = t & 0xF;
            if ((t & 0x10000000U) != 0 || stream >= 2) {
                return false;
            }
            break;
        case D3DVSD_TOKEN_STREAMDATA:
            if ((t & 0x10000000U) != 0) {
                offset[stream] += ((t >> D3DVSD_DATATYPESHIFT) & 0xF) * 4;
            } else {
                const DWORD type = (t >> D3DVSD_DATATYPESHIFT) & 0xF;
                const UINT reg = t & 0x1F;
                if (type > D3DVSDT_SHORT4 || reg >= 16) {
                    return false;
                }
                out->elements.push_back({stream, reg, type, offset[stream]});
                offset[stream] += SizeOfType(type);
            }
            break;
        case D3DVSD_TOKEN_CONSTMEM: {
            const UINT count = (t >> D3DVSD_CONSTCOUNTSHIFT) & 0xF;
            const UINT address = t & 0x7F;
            if (address + count > Device::kMaxConstants || i + count * 4 >= kMaxDeclarationTokens) {
                return false;
            }
            for (UINT c = 0; c < count; ++c) {
                std::array<float, 4> v{};
                std::memcpy(v.data(), &decl[i + 1 + c * 4], sizeof v);
                out->constants.emplace_back(address + c, v);
            }
            i += count * 4;
            break;
        }
        default:
            // Tessellator and extension tokens are not used by the game.
            return false;
        }
    }
    return false;
}

// Tokens up to and including the end token; 0 when there is none within reach.
size_t FunctionLength(const DWORD* function)
{
    if ((function[0] & 0xFFFF0000U) != 0xFFFE0000U) {
        return 0;
    }
    for (size_t i = 1; i < kMaxFunctionTokens; ++i) {
        const DWORD t = function[i];
        if (t == 0x0000FFFFU) {
            return i + 1;
        }
        if ((t & 0xFFFFU) == 0xFFFEU) {
            i += (t >> 16) & 0x7FFF;  // comment block
        }
    }
    return 0;
}

}  // namespace

// The program's position leaves with y times the sign in local parameter 0: textures are drawn
// upside down, the window is not.
std::string FlipProgramY(const std::string& text)
{
    const std::string name = "result.position";
    const std::string temp = "qmFlippedPos";
    std::string out;
    size_t from = 0;
    for (size_t at = text.find(name); at != std::string::npos; at = text.find(name, from)) {
        out.append(text, from, at - from);
        out += temp;
        from = at + name.size();
    }
    out.append(text, from, std::string::npos);
    const size_t header = out.find('\n');
    const size_t end = out.rfind("END");
    if (header == std::string::npos || end == std::string::npos || end < header) {
        return std::string();
    }
    out.insert(end, "MUL result.position, " + temp + ", program.local[0];\n");
    out.insert(header + 1, "TEMP " + temp + ";\n");
    return out;
}

GLuint Device::CompileProgram(const std::string& text)
{
    GLuint program = 0;
    gl::GenProgramsARB(1, &program);
    gl::BindProgramARB(GL_VERTEX_PROGRAM_ARB, program);
    gl::ProgramStringARB(GL_VERTEX_PROGRAM_ARB, GL_PROGRAM_FORMAT_ASCII_ARB, static_cast<GLsizei>(text.size()),
                         text.data());
    GLint errorAt = -1;
    glGetIntegerv(GL_PROGRAM_ERROR_POSITION_ARB, &errorAt);
    boundProgram_ = program;
    if (errorAt != -1 || glGetError() != GL_NO_ERROR) {
        gl::DeleteProgramsARB(1, &program);
        boundProgram_ = 0;
        return 0;
    }
    return program;
}

// The constants go to attributes no element of the declaration and no input of the program uses.
void Device::MakeBatchProgram(const DWORD* function, size_t length, const VsTranslation& plain,
                              VertexShaderObject* shader)
{
    if (plain.relative || plain.constantsRead.empty()) {
        return;
    }
    UINT taken = plain.inputsRead;
    for (const auto& e : shader->elements) {
        taken |= 1U << e.reg;
    }
    VsConstantInputs inputs;
    inputs.fill(-1);
    std::vector<UINT> attributes;
    UINT next = 0;
    for (UINT reg : plain.constantsRead) {
        while (next < vs::kInputCount && (taken & (1U << next)) != 0) {
            ++next;
        }
        if (next >= vs::kInputCount) {
            return;
        }
        inputs[reg] = static_cast<int>(next);
        attributes.push_back(next++);
    }
    const VsTranslation batched = TranslateVertexShader(function, length, &inputs);
    const std::string text = batched.ok ? FlipProgramY(batched.program) : std::string();
    if (text.empty()) {
        return;
    }
    shader->batchProgram = CompileProgram(text);
    if (shader->batchProgram != 0) {
        shader->batchConstants = plain.constantsRead;
        shader->batchInputs = attributes;
    }
}

HRESULT Device::CreateVertexShader(const DWORD* declaration, const DWORD* function, DWORD* handle, DWORD)
{
    if (declaration == nullptr || handle == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    // Declarations for the fixed pipeline are not used by the game; only programs are made.
    if (function == nullptr || !VertexShadersAllowed(gl_->features)) {
        return D3DERR_INVALIDCALL;
    }
    auto shader = std::make_unique<VertexShaderObject>();
    if (!ParseDeclaration(declaration, shader.get())) {
        return D3DERR_INVALIDCALL;
    }
    const size_t length = FunctionLength(function);
    if (length == 0) {
        return D3DERR_INVALIDCALL;
    }
    const VsTranslation translated = TranslateVertexShader(function, length);
    if (!translated.ok) {
        return D3DERR_INVALIDCALL;
    }
    const std::string text = FlipProgramY(translated.program);
    if (text.empty()) {
        return D3DERR_INVALIDCALL;
    }
    MakeCurrent();
    shader->program = CompileProgram(text);
    if (shader->program == 0) {
        return D3DERR_INVALIDCALL;
    }
    MakeBatchProgram(function, length, translated, shader.get());
    const size_t slot = FreeSlot(shaders_);
    shaders_[slot] = std::move(shader);
    // Odd handles: an FVF code never has bit 0 set.
    *handle = static_cast<DWORD>(slot << 1) | 1U;
    return D3D_OK;
}

HRESULT Device::DeleteVertexShader(DWORD handle)
{
    VertexShaderObject* shader = ShaderOf(handle);
    if (shader == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    MakeCurrent();
    if (boundProgram_ == shader->program || boundProgram_ == shader->batchProgram) {
        boundProgram_ = 0;
    }
    gl::DeleteProgramsARB(1, &shader->program);
    if (shader->batchProgram != 0) {
        gl::DeleteProgramsARB(1, &shader->batchProgram);
    }
    shaders_[handle >> 1].reset();
    if (shader_ == handle) {
        shader_ = 0;
        layout_ = FvfLayout{};
    }
    return D3D_OK;
}

HRESULT Device::SetVertexShaderConstant(DWORD reg, const void* data, DWORD count)
{
    if (data == nullptr || reg >= kMaxConstants || count > kMaxConstants - reg) {
        return D3DERR_INVALIDCALL;
    }
    std::memcpy(&constants_[reg], data, count * sizeof(constants_[0]));
    // Handed to GL by the next draw: a gathered draw still to go reads the ones it was given.
    for (DWORD i = 0; i < count; ++i) {
        constantsDirty_.set(reg + i);
    }
    return D3D_OK;
}

HRESULT Device::GetVertexShaderConstant(DWORD reg, void* data, DWORD count)
{
    if (data == nullptr || reg >= kMaxConstants || count > kMaxConstants - reg) {
        return D3DERR_INVALIDCALL;
    }
    std::memcpy(data, &constants_[reg], count * sizeof(constants_[0]));
    return D3D_OK;
}

}  // namespace platform::d3d8
