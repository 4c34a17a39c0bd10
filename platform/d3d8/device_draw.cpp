// Drawing: D3D state turned into GL state, vertex arrays and draw calls.
#include <algorithm>
#include <cstring>

#include "platform/d3d8/device.h"

namespace platform::d3d8 {

namespace {

enum ClientArray : std::uint32_t {
    kArrayVertex = 1U << 0,
    kArrayNormal = 1U << 1,
    kArrayColor = 1U << 2,
    kArraySecondary = 1U << 3,
    kArrayTexture0 = 1U << 4,  // one bit per texture unit from here
};

float AsFloat(DWORD d)
{
    float f = 0.0F;
    std::memcpy(&f, &d, sizeof f);
    return f;
}

D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b)
{
    D3DMATRIX r{};
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] + a.m[i][3] * b.m[3][j];
        }
    }
    return r;
}

GLenum CompareOf(DWORD f)
{
    switch (f) {
    case D3DCMP_NEVER:
        return GL_NEVER;
    case D3DCMP_LESS:
        return GL_LESS;
    case D3DCMP_EQUAL:
        return GL_EQUAL;
    case D3DCMP_LESSEQUAL:
        return GL_LEQUAL;
    case D3DCMP_GREATER:
        return GL_GREATER;
    case D3DCMP_NOTEQUAL:
        return GL_NOTEQUAL;
    case D3DCMP_GREATEREQUAL:
        return GL_GEQUAL;
    default:
        return GL_ALWAYS;
    }
}

GLenum BlendOf(DWORD b)
{
    switch (b) {
    case D3DBLEND_ZERO:
        return GL_ZERO;
    case D3DBLEND_ONE:
        return GL_ONE;
    case D3DBLEND_SRCCOLOR:
        return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR:
        return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA:
        return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA:
        return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA:
        return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA:
        return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR:
        return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR:
        return GL_ONE_MINUS_DST_COLOR;
    case D3DBLEND_SRCALPHASAT:
        return GL_SRC_ALPHA_SATURATE;
    default:
        return GL_ONE;
    }
}

GLenum StencilOpOf(DWORD op)
{
    switch (op) {
    case D3DSTENCILOP_ZERO:
        return GL_ZERO;
    case D3DSTENCILOP_REPLACE:
        return GL_REPLACE;
    case D3DSTENCILOP_INCRSAT:
        return GL_INCR;
    case D3DSTENCILOP_DECRSAT:
        return GL_DECR;
    case D3DSTENCILOP_INVERT:
        return GL_INVERT;
    case D3DSTENCILOP_INCR:
        return GL_INCR_WRAP;
    case D3DSTENCILOP_DECR:
        return GL_DECR_WRAP;
    default:
        return GL_KEEP;
    }
}

GLenum PrimitiveOf(D3DPRIMITIVETYPE type)
{
    switch (type) {
    case D3DPT_POINTLIST:
        return GL_POINTS;
    case D3DPT_LINELIST:
        return GL_LINES;
    case D3DPT_LINESTRIP:
        return GL_LINE_STRIP;
    case D3DPT_TRIANGLESTRIP:
        return GL_TRIANGLE_STRIP;
    case D3DPT_TRIANGLEFAN:
        return GL_TRIANGLE_FAN;
    default:
        return GL_TRIANGLES;
    }
}

GLint WrapOf(DWORD a, bool mirrorClamp)
{
    switch (a) {
    case D3DTADDRESS_MIRROR:
        return GL_MIRRORED_REPEAT;
    case D3DTADDRESS_CLAMP:
        return GL_CLAMP_TO_EDGE;
    case D3DTADDRESS_BORDER:
        return GL_CLAMP_TO_BORDER;
    case D3DTADDRESS_MIRRORONCE:
        return mirrorClamp ? GL_MIRROR_CLAMP_TO_EDGE_EXT : GL_CLAMP_TO_EDGE;
    default:
        return GL_REPEAT;
    }
}

// Texture-stage argument to a combiner source and operand.
void ArgumentOf(DWORD arg, bool alpha, GLint* source, GLint* operand)
{
    switch (arg & D3DTA_SELECTMASK) {
    case D3DTA_CURRENT:
    case D3DTA_TEMP:
        *source = GL_PREVIOUS;
        break;
    case D3DTA_TEXTURE:
        *source = GL_TEXTURE;
        break;
    case D3DTA_TFACTOR:
        *source = GL_CONSTANT;
        break;
    default:
        *source = GL_PRIMARY_COLOR;
        break;
    }
    const bool complement = (arg & D3DTA_COMPLEMENT) != 0;
    if (alpha || (arg & D3DTA_ALPHAREPLICATE) != 0) {
        *operand = complement ? GL_ONE_MINUS_SRC_ALPHA : GL_SRC_ALPHA;
    } else {
        *operand = complement ? GL_ONE_MINUS_SRC_COLOR : GL_SRC_COLOR;
    }
}

// One half (colour or alpha) of a stage's combiner.
void SetCombiner(bool alpha, DWORD op, DWORD arg1, DWORD arg2)
{
    const GLenum combine = alpha ? GL_COMBINE_ALPHA : GL_COMBINE_RGB;
    const GLenum scaleName = alpha ? GL_ALPHA_SCALE : GL_RGB_SCALE;
    const GLenum sources[3] = {static_cast<GLenum>(alpha ? GL_SOURCE0_ALPHA : GL_SOURCE0_RGB),
                               static_cast<GLenum>(alpha ? GL_SOURCE1_ALPHA : GL_SOURCE1_RGB),
                               static_cast<GLenum>(alpha ? GL_SOURCE2_ALPHA : GL_SOURCE2_RGB)};
    const GLenum operands[3] = {static_cast<GLenum>(alpha ? GL_OPERAND0_ALPHA : GL_OPERAND0_RGB),
                                static_cast<GLenum>(alpha ? GL_OPERAND1_ALPHA : GL_OPERAND1_RGB),
                                static_cast<GLenum>(alpha ? GL_OPERAND2_ALPHA : GL_OPERAND2_RGB)};
    GLint mode = GL_MODULATE;
    float scale = 1.0F;
    DWORD a0 = arg1;
    DWORD a1 = arg2;
    DWORD a2 = D3DTA_CURRENT | D3DTA_ALPHAREPLICATE;
    switch (op) {
    case D3DTOP_SELECTARG1:
        mode = GL_REPLACE;
        break;
    case D3DTOP_SELECTARG2:
        mode = GL_REPLACE;
        a0 = arg2;
        break;
    case D3DTOP_MODULATE2X:
        scale = 2.0F;
        break;
    case D3DTOP_MODULATE4X:
        scale = 4.0F;
        break;
    case D3DTOP_ADD:
        mode = GL_ADD;
        break;
    case D3DTOP_ADDSIGNED:
        mode = GL_ADD_SIGNED;
        break;
    case D3DTOP_ADDSIGNED2X:
        mode = GL_ADD_SIGNED;
        scale = 2.0F;
        break;
    case D3DTOP_SUBTRACT:
        mode = GL_SUBTRACT;
        break;
    case D3DTOP_BLENDDIFFUSEALPHA:
        mode = GL_INTERPOLATE;
        a2 = D3DTA_DIFFUSE | D3DTA_ALPHAREPLICATE;
        break;
    case D3DTOP_BLENDTEXTUREALPHA:
        mode = GL_INTERPOLATE;
        a2 = D3DTA_TEXTURE | D3DTA_ALPHAREPLICATE;
        break;
    case D3DTOP_BLENDFACTORALPHA:
        mode = GL_INTERPOLATE;
        a2 = D3DTA_TFACTOR | D3DTA_ALPHAREPLICATE;
        break;
    case D3DTOP_BLENDCURRENTALPHA:
        mode = GL_INTERPOLATE;
        break;
    case D3DTOP_DISABLE:
        // Alpha off while colour runs: the alpha passes through.
        mode = GL_REPLACE;
        a0 = D3DTA_CURRENT;
        break;
    default:
        break;
    }
    glTexEnvi(GL_TEXTURE_ENV, combine, mode);
    const DWORD args[3] = {a0, a1, a2};
    for (int i = 0; i < 3; ++i) {
        GLint source = 0;
        GLint operand = 0;
        ArgumentOf(args[i], alpha, &source, &operand);
        glTexEnvi(GL_TEXTURE_ENV, sources[i], source);
        glTexEnvi(GL_TEXTURE_ENV, operands[i], operand);
    }
    glTexEnvf(GL_TEXTURE_ENV, scaleName, scale);
}

void LoadColor(GLenum what, const D3DCOLORVALUE& c)
{
    const GLfloat v[4] = {c.r, c.g, c.b, c.a};
    glMaterialfv(GL_FRONT_AND_BACK, what, v);
}

D3DCOLORVALUE ColorOf(DWORD c)
{
    return D3DCOLORVALUE{((c >> 16) & 0xFF) / 255.0F, ((c >> 8) & 0xFF) / 255.0F, (c & 0xFF) / 255.0F,
                         ((c >> 24) & 0xFF) / 255.0F};
}

DWORD PackColor(float r, float g, float b, float a)
{
    auto q = [](float v) { return static_cast<DWORD>(std::clamp(v, 0.0F, 1.0F) * 255.0F + 0.5F); };
    return (q(a) << 24) | (q(r) << 16) | (q(g) << 8) | q(b);
}

}  // namespace

VertexShaderObject* Device::ShaderOf(DWORD handle)
{
    const size_t slot = handle >> 1;
    if ((handle & 1) == 0 || slot >= shaders_.size()) {
        return nullptr;
    }
    return shaders_[slot].get();
}

void Device::ApplyRasterState()
{
    if ((dirty_ & kDirtyViewport) != 0) {
        // The window's rows run from the bottom; a texture's from the top, as Direct3D counts them.
        const auto y = static_cast<GLint>(drawingToWindow_ ? renderTarget_->desc().Height - viewport_.Y - viewport_.Height
                                                           : viewport_.Y);
        glViewport(static_cast<GLint>(viewport_.X), y, static_cast<GLsizei>(viewport_.Width),
                   static_cast<GLsizei>(viewport_.Height));
        glDepthRange(viewport_.MinZ, viewport_.MaxZ);
        projectionMode_ = 0;
    }
    if ((dirty_ & kDirtyBlend) != 0) {
        if (rs_[D3DRS_ALPHABLENDENABLE] != FALSE) {
            glEnable(GL_BLEND);
        } else {
            glDisable(GL_BLEND);
        }
        GLenum src = BlendOf(rs_[D3DRS_SRCBLEND]);
        GLenum dst = BlendOf(rs_[D3DRS_DESTBLEND]);
        if (rs_[D3DRS_SRCBLEND] == D3DBLEND_BOTHSRCALPHA) {
            src = GL_SRC_ALPHA;
            dst = GL_ONE_MINUS_SRC_ALPHA;
        } else if (rs_[D3DRS_SRCBLEND] == D3DBLEND_BOTHINVSRCALPHA) {
            src = GL_ONE_MINUS_SRC_ALPHA;
            dst = GL_SRC_ALPHA;
        }
        glBlendFunc(src, dst);
        static constexpr GLenum kOps[] = {GL_FUNC_ADD, GL_FUNC_ADD, GL_FUNC_SUBTRACT, GL_FUNC_REVERSE_SUBTRACT, GL_MIN,
                                          GL_MAX};
        const DWORD op = rs_[D3DRS_BLENDOP];
        gl::BlendEquation(op < 6 ? kOps[op] : GL_FUNC_ADD);
    }
    if ((dirty_ & kDirtyDepth) != 0) {
        if (rs_[D3DRS_ZENABLE] != D3DZB_FALSE && depthStencil_ != nullptr) {
            glEnable(GL_DEPTH_TEST);
        } else {
            glDisable(GL_DEPTH_TEST);
        }
        glDepthFunc(CompareOf(rs_[D3DRS_ZFUNC]));
        glDepthMask(rs_[D3DRS_ZWRITEENABLE] != FALSE ? GL_TRUE : GL_FALSE);
    }
    if ((dirty_ & kDirtyAlphaTest) != 0) {
        if (rs_[D3DRS_ALPHATESTENABLE] != FALSE) {
            glEnable(GL_ALPHA_TEST);
        } else {
            glDisable(GL_ALPHA_TEST);
        }
        glAlphaFunc(CompareOf(rs_[D3DRS_ALPHAFUNC]), static_cast<float>(rs_[D3DRS_ALPHAREF] & 0xFF) / 255.0F);
    }
    if ((dirty_ & kDirtyCull) != 0) {
        // GL's front face follows the target's orientation (set with the target), as Direct3D's clockwise.
        switch (rs_[D3DRS_CULLMODE]) {
        case D3DCULL_CW:
            glEnable(GL_CULL_FACE);
            glCullFace(GL_FRONT);
            break;
        case D3DCULL_CCW:
            glEnable(GL_CULL_FACE);
            glCullFace(GL_BACK);
            break;
        default:
            glDisable(GL_CULL_FACE);
            break;
        }
    }
    if ((dirty_ & kDirtyStencil) != 0) {
        const bool on = rs_[D3DRS_STENCILENABLE] != FALSE && depthStencil_ != nullptr && depthStencil_->HasStencil();
        if (on) {
            glEnable(GL_STENCIL_TEST);
        } else {
            glDisable(GL_STENCIL_TEST);
        }
        glStencilFunc(CompareOf(rs_[D3DRS_STENCILFUNC]), static_cast<GLint>(rs_[D3DRS_STENCILREF]),
                      rs_[D3DRS_STENCILMASK]);
        glStencilOp(StencilOpOf(rs_[D3DRS_STENCILFAIL]), StencilOpOf(rs_[D3DRS_STENCILZFAIL]),
                    StencilOpOf(rs_[D3DRS_STENCILPASS]));
        glStencilMask(rs_[D3DRS_STENCILWRITEMASK]);
    }
    if ((dirty_ & kDirtyRaster) != 0) {
        const DWORD fill = rs_[D3DRS_FILLMODE];
        glPolygonMode(GL_FRONT_AND_BACK, fill == D3DFILL_POINT ? GL_POINT : fill == D3DFILL_WIREFRAME ? GL_LINE : GL_FILL);
        glShadeModel(rs_[D3DRS_SHADEMODE] == D3DSHADE_FLAT ? GL_FLAT : GL_SMOOTH);
        if (rs_[D3DRS_DITHERENABLE] != FALSE) {
            glEnable(GL_DITHER);
        } else {
            glDisable(GL_DITHER);
        }
        const DWORD bias = rs_[D3DRS_ZBIAS];
        if (bias != 0) {
            glEnable(GL_POLYGON_OFFSET_FILL);
            glPolygonOffset(0.0F, -static_cast<float>(std::min<DWORD>(bias, 16)));
        } else {
            glDisable(GL_POLYGON_OFFSET_FILL);
        }
    }
    if ((dirty_ & kDirtyColorMask) != 0) {
        const DWORD m = rs_[D3DRS_COLORWRITEENABLE];
        glColorMask((m & 1) != 0, (m & 2) != 0, (m & 4) != 0, (m & 8) != 0);
    }
    dirty_ &= ~(kDirtyViewport | kDirtyBlend | kDirtyDepth | kDirtyAlphaTest | kDirtyCull | kDirtyStencil |
                kDirtyRaster | kDirtyColorMask);
}

namespace {

// The sampling a stage's states ask for, in GL's terms.
SamplerState SamplerOf(const std::array<DWORD, D3DTSS_MAX>& t, bool mirrorClamp)
{
    SamplerState s;
    s.wrapS = WrapOf(t[D3DTSS_ADDRESSU], mirrorClamp);
    s.wrapT = WrapOf(t[D3DTSS_ADDRESSV], mirrorClamp);
    const bool magLinear = t[D3DTSS_MAGFILTER] >= D3DTEXF_LINEAR;
    const bool minLinear = t[D3DTSS_MINFILTER] >= D3DTEXF_LINEAR;
    s.magFilter = magLinear ? GL_LINEAR : GL_NEAREST;
    switch (t[D3DTSS_MIPFILTER]) {
    case D3DTEXF_POINT:
        s.minFilter = minLinear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
        break;
    case D3DTEXF_NONE:
        s.minFilter = minLinear ? GL_LINEAR : GL_NEAREST;
        break;
    default:
        s.minFilter = minLinear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
        break;
    }
    s.baseLevel = static_cast<GLint>(std::min<DWORD>(t[D3DTSS_MAXMIPLEVEL], 15));
    s.lodBias = AsFloat(t[D3DTSS_MIPMAPLODBIAS]);
    const bool aniso = t[D3DTSS_MINFILTER] == D3DTEXF_ANISOTROPIC || t[D3DTSS_MAGFILTER] == D3DTEXF_ANISOTROPIC;
    s.anisotropy = aniso ? static_cast<float>(std::clamp<DWORD>(t[D3DTSS_MAXANISOTROPY], 1, 16)) : 1.0F;
    s.border = t[D3DTSS_BORDERCOLOR];
    return s;
}

}  // namespace

void Device::ApplyTextureStages()
{
    const int units = std::min(gl_->features.maxTextureUnits, kStages);
    const bool envDirty = (dirty_ & kDirtyTexEnv) != 0;
    if ((dirty_ & kDirtySampler) != 0) {
        for (int u = 0; u < units; ++u) {
            sampler_[static_cast<size_t>(u)] = SamplerOf(tss_[u], gl_->features.mirrorClamp);
        }
    }
    int active = 0;
    for (int u = 0; u < units; ++u) {
        const auto& t = tss_[u];
        if (t[D3DTSS_COLOROP] == D3DTOP_DISABLE) {
            break;
        }
        SelectUnit(u);
        if (u >= enabledUnits_) {
            glEnable(GL_TEXTURE_2D);
        }
        auto* texture = static_cast<Texture*>(textures_[u]);
        const GLuint name = texture != nullptr ? texture->Name() : dummyTexture_;
        if (boundTexture_[u] != name) {
            glBindTexture(GL_TEXTURE_2D, name);
            boundTexture_[u] = name;
        }
        if (texture != nullptr) {
            texture->ApplySampler(sampler_[static_cast<size_t>(u)], gl_->features.anisotropic);
        }
        if (envDirty || u >= enabledUnits_) {
            const D3DCOLORVALUE factor = ColorOf(rs_[D3DRS_TEXTUREFACTOR]);
            const GLfloat factorV[4] = {factor.r, factor.g, factor.b, factor.a};
            glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
            SetCombiner(false, t[D3DTSS_COLOROP], t[D3DTSS_COLORARG1], t[D3DTSS_COLORARG2]);
            SetCombiner(true, t[D3DTSS_ALPHAOP], t[D3DTSS_ALPHAARG1], t[D3DTSS_ALPHAARG2]);
            glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, factorV);
        }
        ++active;
    }
    for (int u = active; u < enabledUnits_; ++u) {
        SelectUnit(u);
        glDisable(GL_TEXTURE_2D);
    }
    enabledUnits_ = active;
    if ((dirty_ & kDirtyTexMatrix) != 0) {
        glMatrixMode(GL_TEXTURE);
        for (int u = 0; u < units; ++u) {
            SelectUnit(u);
            const DWORD flags = tss_[u][D3DTSS_TEXTURETRANSFORMFLAGS] & 0xFF;
            if (flags == D3DTTFF_DISABLE) {
                glLoadIdentity();
                continue;
            }
            D3DMATRIX m = textureMatrix_[u];
            if (flags == D3DTTFF_COUNT2) {
                // Two-component coordinates take their offset from the third row in Direct3D.
                for (int c = 0; c < 4; ++c) {
                    std::swap(m.m[2][c], m.m[3][c]);
                }
            }
            glLoadMatrixf(&m.m[0][0]);
        }
        glMatrixMode(GL_MODELVIEW);
    }
    dirty_ &= ~(kDirtyTexEnv | kDirtyTexMatrix | kDirtySampler);
}

void Device::ApplyFixedTransforms(bool pretransformed)
{
    if (pretransformed) {
        if (projectionMode_ != 1) {
            // Screen positions with Direct3D's pixel centres (integer coordinates) onto GL's (half-way),
            // y turned over into the window.
            const float w = static_cast<float>(viewport_.Width);
            const float h = static_cast<float>(viewport_.Height);
            const float ySign = drawingToWindow_ ? -1.0F : 1.0F;
            D3DMATRIX m{};
            m._11 = 2.0F / w;
            m._22 = ySign * 2.0F / h;
            m._33 = 2.0F;
            m._41 = 2.0F * (0.5F - static_cast<float>(viewport_.X)) / w - 1.0F;
            m._42 = ySign * (2.0F * (0.5F - static_cast<float>(viewport_.Y)) / h - 1.0F);
            m._43 = -1.0F;
            m._44 = 1.0F;
            glMatrixMode(GL_PROJECTION);
            glLoadMatrixf(&m.m[0][0]);
            glMatrixMode(GL_MODELVIEW);
            glLoadIdentity();
            projectionMode_ = 1;
            dirty_ |= kDirtyModelView | kDirtyProjection;
        }
        return;
    }
    if (projectionMode_ != 2 || (dirty_ & kDirtyProjection) != 0) {
        // Direct3D clip space to GL's: y turned over into textures (drawn upside down), z from [0,w] to [-w,w].
        D3DMATRIX n{};
        n._11 = 1.0F;
        n._22 = drawingToWindow_ ? 1.0F : -1.0F;
        n._33 = 2.0F;
        n._43 = -1.0F;
        n._44 = 1.0F;
        const D3DMATRIX p = Multiply(projection_, n);
        glMatrixMode(GL_PROJECTION);
        glLoadMatrixf(&p.m[0][0]);
        glMatrixMode(GL_MODELVIEW);
        dirty_ &= ~kDirtyProjection;
    }
    if (projectionMode_ != 2 || (dirty_ & kDirtyModelView) != 0) {
        // Row vectors: the row-major array read column-major is already the transpose GL wants.
        const D3DMATRIX mv = Multiply(world_, view_);
        glLoadMatrixf(&mv.m[0][0]);
        dirty_ &= ~kDirtyModelView;
    }
    projectionMode_ = 2;
}

// Returns the lighting kind: 0 none, 1 GL lighting, 2 lit without normals (colour worked out here).
void Device::ApplyFixedLighting(const FvfLayout& layout, bool pretransformed)
{
    const bool lit = !pretransformed && rs_[D3DRS_LIGHTING] != FALSE && layout.normal >= 0;
    const int mode = lit ? 1 : 0;
    if (mode == lightingMode_ && (dirty_ & kDirtyLighting) == 0) {
        return;
    }
    if (!lit) {
        glDisable(GL_LIGHTING);
        glDisable(GL_COLOR_MATERIAL);
        lightingMode_ = mode;
        dirty_ &= ~kDirtyLighting;  // all of it is set again when lighting comes back on
        return;
    }
    glEnable(GL_LIGHTING);
    const D3DCOLORVALUE ambient = ColorOf(rs_[D3DRS_AMBIENT]);
    const GLfloat a[4] = {ambient.r, ambient.g, ambient.b, ambient.a};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, a);
    glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, rs_[D3DRS_LOCALVIEWER] != FALSE ? GL_TRUE : GL_FALSE);
    if (rs_[D3DRS_NORMALIZENORMALS] != FALSE) {
        glEnable(GL_NORMALIZE);
    } else {
        glDisable(GL_NORMALIZE);
    }
    LoadColor(GL_DIFFUSE, material_.Diffuse);
    LoadColor(GL_AMBIENT, material_.Ambient);
    LoadColor(GL_EMISSION, material_.Emissive);
    if (rs_[D3DRS_SPECULARENABLE] != FALSE) {
        LoadColor(GL_SPECULAR, material_.Specular);
    } else {
        LoadColor(GL_SPECULAR, D3DCOLORVALUE{0.0F, 0.0F, 0.0F, 0.0F});
    }
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, std::clamp(material_.Power, 0.0F, 128.0F));
    // GL follows the vertex colour for one material colour; take the one the sources ask for.
    const bool vertexColor = rs_[D3DRS_COLORVERTEX] != FALSE && layout.diffuse >= 0;
    const bool diffuse = vertexColor && rs_[D3DRS_DIFFUSEMATERIALSOURCE] == D3DMCS_COLOR1;
    const bool amb = vertexColor && rs_[D3DRS_AMBIENTMATERIALSOURCE] == D3DMCS_COLOR1;
    const bool emissive = vertexColor && rs_[D3DRS_EMISSIVEMATERIALSOURCE] == D3DMCS_COLOR1;
    if (diffuse || amb || emissive) {
        glColorMaterial(GL_FRONT_AND_BACK, diffuse && amb ? GL_AMBIENT_AND_DIFFUSE
                                           : diffuse      ? GL_DIFFUSE
                                           : amb          ? GL_AMBIENT
                                                          : GL_EMISSION);
        glEnable(GL_COLOR_MATERIAL);
    } else {
        glDisable(GL_COLOR_MATERIAL);
    }
    // Lights are given in world space: place them with the view matrix alone.
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(&view_.m[0][0]);
    dirty_ |= kDirtyModelView;
    int n = 0;
    for (const auto& [index, slot] : lights_) {
        if (!slot.enabled || n >= 8) {
            continue;
        }
        const GLenum id = GL_LIGHT0 + n++;
        const D3DLIGHT8& l = slot.light;
        glEnable(id);
        const GLfloat d[4] = {l.Diffuse.r, l.Diffuse.g, l.Diffuse.b, l.Diffuse.a};
        const GLfloat s[4] = {l.Specular.r, l.Specular.g, l.Specular.b, l.Specular.a};
        const GLfloat am[4] = {l.Ambient.r, l.Ambient.g, l.Ambient.b, l.Ambient.a};
        glLightfv(id, GL_DIFFUSE, d);
        glLightfv(id, GL_SPECULAR, s);
        glLightfv(id, GL_AMBIENT, am);
        if (l.Type == D3DLIGHT_DIRECTIONAL) {
            const GLfloat p[4] = {-l.Direction.x, -l.Direction.y, -l.Direction.z, 0.0F};
            glLightfv(id, GL_POSITION, p);
            glLightf(id, GL_SPOT_CUTOFF, 180.0F);
            glLightf(id, GL_CONSTANT_ATTENUATION, 1.0F);
            glLightf(id, GL_LINEAR_ATTENUATION, 0.0F);
            glLightf(id, GL_QUADRATIC_ATTENUATION, 0.0F);
        } else {
            const GLfloat p[4] = {l.Position.x, l.Position.y, l.Position.z, 1.0F};
            glLightfv(id, GL_POSITION, p);
            glLightf(id, GL_CONSTANT_ATTENUATION, l.Attenuation0);
            glLightf(id, GL_LINEAR_ATTENUATION, l.Attenuation1);
            glLightf(id, GL_QUADRATIC_ATTENUATION, l.Attenuation2);
            if (l.Type == D3DLIGHT_SPOT) {
                const GLfloat dir[3] = {l.Direction.x, l.Direction.y, l.Direction.z};
                glLightfv(id, GL_SPOT_DIRECTION, dir);
                glLightf(id, GL_SPOT_CUTOFF, std::clamp(l.Phi * 0.5F * 57.29578F, 0.0F, 90.0F));
                glLightf(id, GL_SPOT_EXPONENT, std::clamp(l.Falloff, 0.0F, 128.0F));
            } else {
                glLightf(id, GL_SPOT_CUTOFF, 180.0F);
            }
        }
    }
    for (int i = n; i < 8; ++i) {
        glDisable(GL_LIGHT0 + i);
    }
    lightingMode_ = mode;
    dirty_ &= ~kDirtyLighting;
}

void Device::BindArrayBuffer(GLuint name)
{
    if (cache_.arrayBuffer != name) {
        gl::BindBuffer(GL_ARRAY_BUFFER, name);
        cache_.arrayBuffer = name;
    }
}

void Device::BindElementBuffer(GLuint name)
{
    if (cache_.elementBuffer != name) {
        gl::BindBuffer(GL_ELEMENT_ARRAY_BUFFER, name);
        cache_.elementBuffer = name;
    }
}

void Device::SelectUnit(int unit)
{
    if (cache_.activeUnit != static_cast<GLuint>(unit)) {
        gl::ActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
        cache_.activeUnit = static_cast<GLuint>(unit);
    }
}

void Device::SelectClientUnit(int unit)
{
    if (cache_.clientUnit != static_cast<GLuint>(unit)) {
        gl::ClientActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
        cache_.clientUnit = static_cast<GLuint>(unit);
    }
}

void Device::SetColorSum(bool on)
{
    if (cache_.colorSum != (on ? 1 : 0)) {
        if (on) {
            glEnable(GL_COLOR_SUM);
        } else {
            glDisable(GL_COLOR_SUM);
        }
        cache_.colorSum = on ? 1 : 0;
    }
}

void Device::SetClientArrays(std::uint32_t wanted)
{
    const std::uint32_t change = wanted ^ clientArrays_;
    if (change == 0) {
        return;
    }
    auto toggle = [&](std::uint32_t bit, GLenum array) {
        if ((change & bit) != 0) {
            if ((wanted & bit) != 0) {
                glEnableClientState(array);
            } else {
                glDisableClientState(array);
            }
        }
    };
    toggle(kArrayVertex, GL_VERTEX_ARRAY);
    toggle(kArrayNormal, GL_NORMAL_ARRAY);
    toggle(kArrayColor, GL_COLOR_ARRAY);
    toggle(kArraySecondary, GL_SECONDARY_COLOR_ARRAY);
    for (int u = 0; u < kStages; ++u) {
        const std::uint32_t bit = kArrayTexture0 << u;
        if ((change & bit) != 0) {
            SelectClientUnit(u);
            toggle(bit, GL_TEXTURE_COORD_ARRAY);
        }
    }
    clientArrays_ = wanted;
}

void Device::SetAttribArrays(std::uint32_t wanted)
{
    const std::uint32_t change = wanted ^ attribArrays_;
    for (GLuint i = 0; i < 16; ++i) {
        if ((change & (1U << i)) != 0) {
            if ((wanted & (1U << i)) != 0) {
                gl::EnableVertexAttribArrayARB(i);
            } else {
                gl::DisableVertexAttribArrayARB(i);
            }
        }
    }
    attribArrays_ = wanted;
}

void Device::SetupFixedArrays(const FvfLayout& layout, const VertexSource& source, UINT firstVertex,
                              UINT vertexCount)
{
    const BYTE* base = source.base[0];
    const auto stride = static_cast<GLsizei>(source.stride[0]);
    BindArrayBuffer(source.buffer[0]);
    std::uint32_t wanted = kArrayVertex;
    if (cache_.PointerChanged(&cache_.vertex, 3, stride, base)) {
        glVertexPointer(3, GL_FLOAT, stride, base);
    }
    if (lightingMode_ == 1) {
        wanted |= kArrayNormal;
        if (cache_.PointerChanged(&cache_.normal, 3, stride, base + layout.normal)) {
            glNormalPointer(GL_FLOAT, stride, base + layout.normal);
        }
    }

    // Vertex colour: Direct3D lights a vertex without a normal with its emissive and ambient parts only.
    const bool litNoNormal = !layout.pretransformed && rs_[D3DRS_LIGHTING] != FALSE && layout.normal < 0;
    if (!litNoNormal) {
        if (layout.diffuse >= 0) {
            wanted |= kArrayColor;
            if (cache_.PointerChanged(&cache_.color, GL_BGRA, stride, base + layout.diffuse)) {
                glColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, stride, base + layout.diffuse);
            }
        } else {
            glColor4f(1.0F, 1.0F, 1.0F, 1.0F);
        }
    } else {
        const bool colorVertex = rs_[D3DRS_COLORVERTEX] != FALSE;
        // -1: the material's colour; otherwise the byte offset of the vertex colour used.
        auto sourceOf = [&](DWORD state) {
            const DWORD s = rs_[state];
            if (colorVertex && s == D3DMCS_COLOR1 && layout.diffuse >= 0) {
                return layout.diffuse;
            }
            if (colorVertex && s == D3DMCS_COLOR2 && layout.specular >= 0) {
                return layout.specular;
            }
            return -1;
        };
        const int emissiveSrc = sourceOf(D3DRS_EMISSIVEMATERIALSOURCE);
        const int ambientSrc = sourceOf(D3DRS_AMBIENTMATERIALSOURCE);
        const int diffuseSrc = sourceOf(D3DRS_DIFFUSEMATERIALSOURCE);
        D3DCOLORVALUE ga = ColorOf(rs_[D3DRS_AMBIENT]);
        for (const auto& [index, slot] : lights_) {
            if (slot.enabled) {
                ga.r += slot.light.Ambient.r;
                ga.g += slot.light.Ambient.g;
                ga.b += slot.light.Ambient.b;
            }
        }
        const bool noAmbient = ga.r == 0.0F && ga.g == 0.0F && ga.b == 0.0F;
        if (noAmbient && emissiveSrc >= 0 && emissiveSrc == diffuseSrc) {
            // The usual case: emissive and alpha both from the vertex colour, nothing added.
            wanted |= kArrayColor;
            if (cache_.PointerChanged(&cache_.color, GL_BGRA, stride, base + emissiveSrc)) {
                glColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, stride, base + emissiveSrc);
            }
        } else {
            const D3DCOLORVALUE e0 = material_.Emissive;
            const D3DCOLORVALUE a0 = material_.Ambient;
            const D3DCOLORVALUE d0 = material_.Diffuse;
            auto shade = [&](const BYTE* vertex) {
                auto pick = [&](int src, const D3DCOLORVALUE& fallback) {
                    if (src < 0 || vertex == nullptr) {
                        return fallback;
                    }
                    DWORD c = 0;
                    std::memcpy(&c, vertex + src, 4);
                    return ColorOf(c);
                };
                const D3DCOLORVALUE e = pick(emissiveSrc, e0);
                const D3DCOLORVALUE a = pick(ambientSrc, a0);
                const D3DCOLORVALUE d = pick(diffuseSrc, d0);
                return PackColor(e.r + a.r * ga.r, e.g + a.g * ga.g, e.b + a.b * ga.b, d.a);
            };
            const bool perVertex = emissiveSrc >= 0 || diffuseSrc >= 0 || (!noAmbient && ambientSrc >= 0);
            if (!perVertex || source.memory[0] == nullptr) {
                const DWORD c = shade(nullptr);
                glColor4ub((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF, c >> 24);
            } else {
                colorScratch_.resize(static_cast<size_t>(firstVertex) + vertexCount);
                for (UINT i = firstVertex; i < firstVertex + vertexCount; ++i) {
                    colorScratch_[i] = shade(source.memory[0] + static_cast<size_t>(i) * source.stride[0]);
                }
                wanted |= kArrayColor;
                BindArrayBuffer(0);
                if (cache_.PointerChanged(&cache_.color, GL_BGRA, 0, colorScratch_.data())) {
                    glColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, 0, colorScratch_.data());
                }
                BindArrayBuffer(source.buffer[0]);
            }
        }
    }
    if (rs_[D3DRS_SPECULARENABLE] != FALSE && layout.specular >= 0) {
        wanted |= kArraySecondary;
        if (cache_.PointerChanged(&cache_.secondary, GL_BGRA, stride, base + layout.specular)) {
            gl::SecondaryColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, stride, base + layout.specular);
        }
        SetColorSum(true);
    } else {
        SetColorSum(false);
    }
    for (int u = 0; u < enabledUnits_; ++u) {
        const DWORD set = tss_[u][D3DTSS_TEXCOORDINDEX] & 0xFFFF;
        if (set < layout.texSets) {
            wanted |= kArrayTexture0 << u;
            const BYTE* at = base + layout.texOffset[set];
            if (cache_.PointerChanged(&cache_.texCoord[static_cast<size_t>(u)], layout.texSize[set], stride, at)) {
                SelectClientUnit(u);
                glTexCoordPointer(layout.texSize[set], GL_FLOAT, stride, at);
            }
        }
    }
    SetClientArrays(wanted);
}

void Device::SetupShaderArrays(const VertexShaderObject& shader, const VertexSource& source)
{
    std::uint32_t wanted = 0;
    for (const auto& e : shader.elements) {
        const UINT s = e.stream;
        BindArrayBuffer(source.buffer[s]);
        const BYTE* at = source.base[s] + e.offset;
        const auto stride = static_cast<GLsizei>(source.stride[s]);
        switch (e.type) {
        case D3DVSDT_FLOAT1:
        case D3DVSDT_FLOAT2:
        case D3DVSDT_FLOAT3:
        case D3DVSDT_FLOAT4:
            gl::VertexAttribPointerARB(e.reg, static_cast<GLint>(e.type + 1), GL_FLOAT, GL_FALSE, stride, at);
            break;
        case D3DVSDT_D3DCOLOR:
            gl::VertexAttribPointerARB(e.reg, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride, at);
            break;
        case D3DVSDT_UBYTE4:
            gl::VertexAttribPointerARB(e.reg, 4, GL_UNSIGNED_BYTE, GL_FALSE, stride, at);
            break;
        case D3DVSDT_SHORT2:
            gl::VertexAttribPointerARB(e.reg, 2, GL_SHORT, GL_FALSE, stride, at);
            break;
        default:
            gl::VertexAttribPointerARB(e.reg, 4, GL_SHORT, GL_FALSE, stride, at);
            break;
        }
        wanted |= 1U << e.reg;
    }
    SetAttribArrays(wanted);
}

bool Device::PrepareDraw(D3DPRIMITIVETYPE type, const VertexSource& source, UINT firstVertex, UINT vertexCount,
                         UINT primitiveCount, bool userPointer, UINT loggedVertices)
{
    VertexShaderObject* shader = ShaderOf(shader_);
    const bool program = shader != nullptr && shader->program != 0;
    if ((shader_ & 1) != 0 && !program) {
        return false;
    }
    const bool pretransformed = !program && layout_.pretransformed;
    ApplyRasterState();
    ApplyTextureStages();

    // Fog: a vertex program writes the fog factor itself (GL linear fog from 1 to 0 passes it on).
    const bool fogOn = rs_[D3DRS_FOGENABLE] != FALSE &&
                       (program || (!pretransformed && (rs_[D3DRS_FOGVERTEXMODE] != D3DFOG_NONE ||
                                                        rs_[D3DRS_FOGTABLEMODE] != D3DFOG_NONE)));
    const int fogMode = !fogOn ? 0 : program ? 1 : 2;
    if (fogMode != fogMode_ || (dirty_ & kDirtyFog) != 0) {
        if (fogMode == 0) {
            glDisable(GL_FOG);
        } else {
            glEnable(GL_FOG);
            const D3DCOLORVALUE c = ColorOf(rs_[D3DRS_FOGCOLOR]);
            const GLfloat color[4] = {c.r, c.g, c.b, c.a};
            glFogfv(GL_FOG_COLOR, color);
            if (fogMode == 1) {
                glFogi(GL_FOG_MODE, GL_LINEAR);
                glFogf(GL_FOG_START, 1.0F);
                glFogf(GL_FOG_END, 0.0F);
            } else {
                const DWORD mode =
                    rs_[D3DRS_FOGTABLEMODE] != D3DFOG_NONE ? rs_[D3DRS_FOGTABLEMODE] : rs_[D3DRS_FOGVERTEXMODE];
                glFogi(GL_FOG_MODE, mode == D3DFOG_EXP ? GL_EXP : mode == D3DFOG_EXP2 ? GL_EXP2 : GL_LINEAR);
                glFogf(GL_FOG_START, AsFloat(rs_[D3DRS_FOGSTART]));
                glFogf(GL_FOG_END, AsFloat(rs_[D3DRS_FOGEND]));
                glFogf(GL_FOG_DENSITY, AsFloat(rs_[D3DRS_FOGDENSITY]));
            }
        }
        fogMode_ = fogMode;
        dirty_ &= ~kDirtyFog;
    }

    if (program) {
        if (!programMode_) {
            SetClientArrays(0);
            glDisable(GL_LIGHTING);
            lightingMode_ = -1;
            glEnable(GL_VERTEX_PROGRAM_ARB);
            programMode_ = true;
        }
        if (boundProgram_ != shader->program) {
            gl::BindProgramARB(GL_VERTEX_PROGRAM_ARB, shader->program);
            boundProgram_ = shader->program;
        }
        if (constantsDirty_.any()) {
            for (size_t i = 0; i < constantsDirty_.size(); ++i) {
                if (constantsDirty_[i]) {
                    gl::ProgramEnvParameter4fvARB(GL_VERTEX_PROGRAM_ARB, static_cast<GLuint>(i), constants_[i].data());
                }
            }
            constantsDirty_.reset();
        }
        const float ySign = drawingToWindow_ ? 1.0F : -1.0F;
        if (shader->ySign != ySign) {
            gl::ProgramLocalParameter4fARB(GL_VERTEX_PROGRAM_ARB, 0, 1.0F, ySign, 1.0F, 1.0F);
            shader->ySign = ySign;
        }
        SetupShaderArrays(*shader, source);
    } else {
        if (programMode_) {
            SetAttribArrays(0);
            glDisable(GL_VERTEX_PROGRAM_ARB);
            programMode_ = false;
        }
        ApplyFixedLighting(layout_, pretransformed);
        ApplyFixedTransforms(pretransformed);
        SetupFixedArrays(layout_, source, firstVertex, vertexCount);
    }
    LogDraw(type, primitiveCount, loggedVertices != 0 ? loggedVertices : vertexCount, userPointer);
    return true;
}

// A textured quad rather than a framebuffer blit: the blit makes and frees driver objects on
// every frame. Whatever state it changes is marked to be set again by the next draw.
void Device::DrawBackBufferQuad(GLint x, GLint y, GLsizei width, GLsizei height, bool scaled)
{
    glViewport(x, y, width, height);
    for (GLenum cap : {GL_BLEND, GL_DEPTH_TEST, GL_ALPHA_TEST, GL_CULL_FACE, GL_STENCIL_TEST, GL_FOG, GL_LIGHTING,
                       GL_POLYGON_OFFSET_FILL}) {
        glDisable(cap);
    }
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    SetColorSum(false);
    if (programMode_) {
        SetAttribArrays(0);
        glDisable(GL_VERTEX_PROGRAM_ARB);
        programMode_ = false;
    }
    for (int u = 1; u < enabledUnits_; ++u) {
        SelectUnit(u);
        glDisable(GL_TEXTURE_2D);
    }
    SelectUnit(0);
    if (enabledUnits_ == 0) {
        glEnable(GL_TEXTURE_2D);
    }
    enabledUnits_ = 1;
    const GLuint texture = backBuffer_->ColorTexture();
    glBindTexture(GL_TEXTURE_2D, texture);
    boundTexture_[0] = texture;
    const GLint filter = scaled ? GL_LINEAR : GL_NEAREST;
    if (presentTexture_ != texture || presentFilter_ != filter) {
        // Set up once; again only after a reset made a new back buffer or the window changed.
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
        presentTexture_ = texture;
        presentFilter_ = filter;
    }
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    BindArrayBuffer(presentQuad_);
    constexpr GLsizei kStride = 4 * sizeof(GLfloat);
    const auto* texCoords = reinterpret_cast<const void*>(2 * sizeof(GLfloat));
    if (cache_.PointerChanged(&cache_.vertex, 2, kStride, nullptr)) {
        glVertexPointer(2, GL_FLOAT, kStride, nullptr);
    }
    if (cache_.PointerChanged(&cache_.texCoord[0], 2, kStride, texCoords)) {
        SelectClientUnit(0);
        glTexCoordPointer(2, GL_FLOAT, kStride, texCoords);
    }
    SetClientArrays(kArrayVertex | kArrayTexture0);
    ++glDraws_;
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    dirty_ = kDirtyAll;
    projectionMode_ = 0;
    lightingMode_ = -1;
    fogMode_ = -1;
}

void Device::LogDraw(D3DPRIMITIVETYPE type, UINT primitiveCount, UINT vertexCount, bool userPointer)
{
    if (!drawLogOn_) {
        return;
    }
    D3D8DrawRecord r;
    r.texture = textures_[0];
    r.primitiveType = type;
    r.primitiveCount = primitiveCount;
    r.vertexCount = vertexCount;
    r.vertexShader = shader_;
    r.userPointer = userPointer;
    std::copy(rs_.begin(), rs_.end(), r.renderStates);
    std::copy(tss_[0].begin(), tss_[0].end(), r.stage0);
    drawLog_.push_back(r);
}

HRESULT Device::CheckDrawable() const
{
    if ((shader_ & 1) == 0 && (shader_ & D3DFVF_POSITION_MASK) == 0) {
        return D3DERR_INVALIDCALL;
    }
    return D3D_OK;
}

bool Device::BindStreams(UINT baseVertex, UINT vertexEnd, VertexSource* source)
{
    BatchDraw memory;
    if (!StreamMemory(baseVertex, vertexEnd, &memory)) {
        return false;
    }
    for (UINT s = 0; s < 2; ++s) {
        if (memory.memory[s] == nullptr) {
            continue;
        }
        VertexBuffer* vb = streams_[s];
        const UINT stride = streamStride_[s];
        BindArrayBuffer(vb->store().name);
        uploads_.bufferBytes += vb->store().Sync();
        source->buffer[s] = vb->store().name;
        source->base[s] = reinterpret_cast<const BYTE*>(static_cast<std::uintptr_t>(baseVertex) * stride);
        source->memory[s] = memory.memory[s];
        source->stride[s] = stride;
    }
    return true;
}

bool Device::StreamMemory(UINT baseVertex, UINT vertexEnd, BatchDraw* draw)
{
    const VertexShaderObject* shader = ShaderOf(shader_);
    for (UINT s = 0; s < 2; ++s) {
        const bool used = shader != nullptr ? std::any_of(shader->elements.begin(), shader->elements.end(),
                                                          [s](const auto& e) { return e.stream == s; })
                                            : s == 0;
        if (!used) {
            continue;
        }
        VertexBuffer* vb = streams_[s];
        const UINT stride = streamStride_[s];
        // Every vertex the draw may reach has to lie inside the buffer: GL would read past it.
        if (vb == nullptr ||
            (static_cast<std::uint64_t>(baseVertex) + vertexEnd) * stride > vb->store().memory.size()) {
            return false;
        }
        draw->memory[s] = vb->store().memory.data() + static_cast<size_t>(baseVertex) * stride;
        draw->stride[s] = stride;
    }
    return true;
}

bool Device::Batchable(D3DPRIMITIVETYPE type, UINT vertexCount)
{
    if (!batching_ || type != D3DPT_TRIANGLELIST || vertexCount > kBatchDrawVertices) {
        return false;
    }
    if ((shader_ & 1) != 0) {
        const VertexShaderObject* shader = ShaderOf(shader_);
        return shader != nullptr && shader->program != 0 && shader->batchProgram != 0;
    }
    // Without a program only screen positions: a world transform cannot differ between them.
    return layout_.pretransformed;
}

bool Device::Joins(const BatchDraw& draw) const
{
    if (batch_.draws == 0 || shader_ != batch_.shader || draw.stride[0] != batch_.streamStride[0] ||
        draw.stride[1] != batch_.streamStride[1] ||
        batch_.vertexCount + (draw.high - draw.low + 1) > kBatchVertices) {
        return false;
    }
    // A program's transforms are its constants, which travel with the vertices; its texture
    // coordinates are its own. Pre-transformed vertices are placed by the viewport alone.
    const std::uint32_t free = kDirtyModelView | kDirtyProjection | kDirtyLighting | (batch_.program ? static_cast<std::uint32_t>(kDirtyTexMatrix) : 0U);
    if ((dirty_ & kDirtyNamed & ~free) != 0 || rs_ != batch_.rs || tss_ != batch_.tss || textures_ != batch_.textures ||
        std::memcmp(&viewport_, &batch_.viewport, sizeof viewport_) != 0) {
        return false;
    }
    return batch_.program || std::memcmp(textureMatrix_.data(), batch_.textureMatrix.data(),
                                         sizeof(D3DMATRIX) * textureMatrix_.size()) == 0;
}

void Device::StartBatch(const BatchDraw& draw)
{
    batch_.draws = 0;
    batch_.program = (shader_ & 1) != 0;
    batch_.shader = shader_;
    batch_.streamStride[0] = draw.stride[0];
    batch_.streamStride[1] = draw.stride[1];
    batch_.vertexSize = draw.stride[0] + draw.stride[1];
    if (batch_.program) {
        batch_.vertexSize += static_cast<UINT>(ShaderOf(shader_)->batchConstants.size() * sizeof(constants_[0]));
    }
    batch_.ySign = drawingToWindow_ ? 1.0F : -1.0F;
    batch_.rs = rs_;
    batch_.tss = tss_;
    batch_.textures = textures_;
    batch_.viewport = viewport_;
    batch_.textureMatrix = textureMatrix_;
    batch_.vertices.clear();
    // GL may be pointed at these vertices before the batch is full: they must not move.
    batch_.vertices.reserve(static_cast<size_t>(kBatchVertices) * batch_.vertexSize);
    batch_.indices.clear();
    batch_.vertexCount = 0;
    AddToBatch(draw);
}

void Device::AddToBatch(const BatchDraw& draw)
{
    const UINT n = draw.high - draw.low + 1;
    const UINT base = batch_.vertexCount;
    const VertexShaderObject* shader = batch_.program ? ShaderOf(batch_.shader) : nullptr;
    size_t at = batch_.vertices.size();
    batch_.vertices.resize(at + static_cast<size_t>(n) * batch_.vertexSize);
    for (UINT v = draw.low; v <= draw.high; ++v) {
        BYTE* out = batch_.vertices.data() + at;
        for (int s = 0; s < 2; ++s) {
            if (draw.memory[s] != nullptr) {
                std::memcpy(out, draw.memory[s] + static_cast<size_t>(v) * draw.stride[s], draw.stride[s]);
                out += draw.stride[s];
            }
        }
        if (shader != nullptr) {
            for (UINT reg : shader->batchConstants) {
                std::memcpy(out, constants_[reg].data(), sizeof(constants_[0]));
                out += sizeof(constants_[0]);
            }
        }
        at += batch_.vertexSize;
    }
    if (draw.indices == nullptr) {
        for (UINT i = 0; i < n; ++i) {
            batch_.indices.push_back(static_cast<std::uint16_t>(base + i));
        }
    } else {
        const auto* bytes = static_cast<const BYTE*>(draw.indices);
        for (UINT i = 0; i < draw.indexCount; ++i) {
            std::uint32_t index = 0;
            if (draw.wide) {
                std::memcpy(&index, bytes + static_cast<size_t>(i) * 4, 4);
            } else {
                std::uint16_t narrow = 0;
                std::memcpy(&narrow, bytes + static_cast<size_t>(i) * 2, 2);
                index = narrow;
            }
            batch_.indices.push_back(static_cast<std::uint16_t>(base + index - draw.low));
        }
    }
    batch_.vertexCount += n;
    ++batch_.draws;
}

void Device::StartCopiedBatch(D3DPRIMITIVETYPE type, UINT primitiveCount, const BatchDraw& draw, bool userPointer,
                              UINT loggedVertices)
{
    StartBatch(draw);
    VertexSource source;
    source.base[0] = batch_.vertices.data();
    source.memory[0] = source.base[0];
    source.stride[0] = batch_.vertexSize;
    if (!PrepareDraw(type, source, 0, batch_.vertexCount, primitiveCount, userPointer, loggedVertices)) {
        batch_.draws = 0;
    }
}

void Device::FlushBatch()
{
    if (batch_.draws == 0) {
        return;
    }
    const int draws = batch_.draws;
    batch_.draws = 0;
    gl_->MakeCurrent();
    ++glDraws_;
    if (batch_.program && draws == 1) {
        // Left alone: drawn from its own buffers with its own program, as it came.
        if (batch_.indexed) {
            glDrawElements(batch_.mode, batch_.count, batch_.indexType, batch_.indexAt);
        } else {
            glDrawArrays(batch_.mode, batch_.first, batch_.count);
        }
        return;
    }
    if (batch_.program) {
        VertexShaderObject* shader = ShaderOf(batch_.shader);
        if (boundProgram_ != shader->batchProgram) {
            gl::BindProgramARB(GL_VERTEX_PROGRAM_ARB, shader->batchProgram);
            boundProgram_ = shader->batchProgram;
        }
        if (shader->batchYSign != batch_.ySign) {
            gl::ProgramLocalParameter4fARB(GL_VERTEX_PROGRAM_ARB, 0, 1.0F, batch_.ySign, 1.0F, 1.0F);
            shader->batchYSign = batch_.ySign;
        }
        BindArrayBuffer(0);
        const BYTE* vertices = batch_.vertices.data();
        const auto size = static_cast<GLsizei>(batch_.vertexSize);
        VertexSource source;
        source.base[0] = vertices;
        source.base[1] = vertices + batch_.streamStride[0];
        source.stride[0] = batch_.vertexSize;
        source.stride[1] = batch_.vertexSize;
        SetupShaderArrays(*shader, source);
        std::uint32_t wanted = attribArrays_;
        const BYTE* at = vertices + batch_.streamStride[0] + batch_.streamStride[1];
        for (UINT input : shader->batchInputs) {
            gl::VertexAttribPointerARB(input, 4, GL_FLOAT, GL_FALSE, size, at);
            at += sizeof(constants_[0]);
            wanted |= 1U << input;
        }
        SetAttribArrays(wanted);
    }
    BindElementBuffer(0);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(batch_.indices.size()), GL_UNSIGNED_SHORT,
                   batch_.indices.data());
}

HRESULT Device::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount)
{
    const UINT count = VertexCountOf(type, primitiveCount);
    if (count == 0 || FAILED(CheckDrawable())) {
        return D3DERR_INVALIDCALL;
    }
    if (loss_ != Loss::None) {
        return D3D_OK;
    }
    BatchDraw draw;
    const bool batchable = Batchable(type, count);
    if (batchable) {
        if (!StreamMemory(0, startVertex + count, &draw)) {
            return D3DERR_INVALIDCALL;
        }
        draw.low = startVertex;
        draw.high = startVertex + count - 1;
        if (Joins(draw)) {
            AddToBatch(draw);
            LogDraw(type, primitiveCount, count, false);
            return D3D_OK;
        }
    }
    FlushBatch();
    gl_->MakeCurrent();
    if (batchable && (shader_ & 1) == 0) {
        StartCopiedBatch(type, primitiveCount, draw, false, count);
        return D3D_OK;
    }
    VertexSource source;
    if (!BindStreams(0, startVertex + count, &source)) {
        return D3DERR_INVALIDCALL;
    }
    if (PrepareDraw(type, source, startVertex, count, primitiveCount, false)) {
        if (batchable) {
            StartBatch(draw);
            batch_.indexed = false;
            batch_.mode = PrimitiveOf(type);
            batch_.first = static_cast<GLint>(startVertex);
            batch_.count = static_cast<GLsizei>(count);
            return D3D_OK;
        }
        ++glDraws_;
        glDrawArrays(PrimitiveOf(type), static_cast<GLint>(startVertex), static_cast<GLsizei>(count));
    }
    return D3D_OK;
}

// The vertex range is taken from the indices themselves; the caller's hint is not trusted.
HRESULT Device::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT, UINT, UINT startIndex, UINT primitiveCount)
{
    const UINT count = VertexCountOf(type, primitiveCount);
    if (count == 0 || indices_ == nullptr || FAILED(CheckDrawable())) {
        return D3DERR_INVALIDCALL;
    }
    const bool wide = indices_->Format() == D3DFMT_INDEX32;
    const size_t indexSize = wide ? 4 : 2;
    const BufferStore& ib = indices_->store();
    if ((static_cast<std::uint64_t>(startIndex) + count) * indexSize > ib.memory.size()) {
        return D3DERR_INVALIDCALL;
    }
    if (loss_ != Loss::None) {
        return D3D_OK;
    }
    const IndexRange range = indices_->RangeOf(startIndex, count);
    const UINT top = range.high;
    BatchDraw draw;
    const bool batchable = Batchable(type, top + 1 - range.low);
    if (batchable) {
        if (!StreamMemory(baseVertex_, top + 1, &draw)) {
            return D3DERR_INVALIDCALL;
        }
        draw.low = range.low;
        draw.high = top;
        draw.indices = ib.memory.data() + static_cast<size_t>(startIndex) * indexSize;
        draw.wide = wide;
        draw.indexCount = count;
        if (Joins(draw)) {
            AddToBatch(draw);
            LogDraw(type, primitiveCount, top + 1 - range.low, false);
            return D3D_OK;
        }
    }
    FlushBatch();
    gl_->MakeCurrent();
    if (batchable && (shader_ & 1) == 0) {
        StartCopiedBatch(type, primitiveCount, draw, false, top + 1 - range.low);
        return D3D_OK;
    }
    VertexSource source;
    if (!BindStreams(baseVertex_, top + 1, &source)) {
        return D3DERR_INVALIDCALL;
    }
    BindElementBuffer(indices_->store().name);
    uploads_.bufferBytes += indices_->store().Sync();
    if (PrepareDraw(type, source, range.low, top + 1 - range.low, primitiveCount, false)) {
        const GLenum indexType = wide ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT;
        const auto* indexAt = reinterpret_cast<const void*>(static_cast<std::uintptr_t>(startIndex) * indexSize);
        if (batchable) {
            StartBatch(draw);
            batch_.indexed = true;
            batch_.mode = PrimitiveOf(type);
            batch_.count = static_cast<GLsizei>(count);
            batch_.indexType = indexType;
            batch_.indexAt = indexAt;
            return D3D_OK;
        }
        ++glDraws_;
        glDrawElements(PrimitiveOf(type), static_cast<GLsizei>(count), indexType, indexAt);
    }
    return D3D_OK;
}

HRESULT Device::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices, UINT stride)
{
    const UINT count = VertexCountOf(type, primitiveCount);
    if (count == 0 || vertices == nullptr || stride == 0 || FAILED(CheckDrawable()) || (shader_ & 1) != 0) {
        return D3DERR_INVALIDCALL;
    }
    // Drawing from memory leaves stream 0 unset, as Direct3D does.
    SetStreamSource(0, nullptr, 0);
    if (loss_ != Loss::None) {
        return D3D_OK;
    }
    BatchDraw draw;
    draw.memory[0] = static_cast<const BYTE*>(vertices);
    draw.stride[0] = stride;
    draw.high = count - 1;
    const bool batchable = Batchable(type, count);
    if (batchable && Joins(draw)) {
        AddToBatch(draw);
        LogDraw(type, primitiveCount, count, true);
        return D3D_OK;
    }
    FlushBatch();
    gl_->MakeCurrent();
    if (batchable) {
        StartCopiedBatch(type, primitiveCount, draw, true, count);
        return D3D_OK;
    }
    VertexSource source;
    source.base[0] = static_cast<const BYTE*>(vertices);
    source.memory[0] = source.base[0];
    source.stride[0] = stride;
    if (PrepareDraw(type, source, 0, count, primitiveCount, true)) {
        ++glDraws_;
        glDrawArrays(PrimitiveOf(type), 0, static_cast<GLsizei>(count));
    }
    return D3D_OK;
}

HRESULT Device::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount, UINT primitiveCount,
                                       const void* indices, D3DFORMAT indexFormat, const void* vertices, UINT stride)
{
    const UINT count = VertexCountOf(type, primitiveCount);
    if (count == 0 || indices == nullptr || vertices == nullptr || stride == 0 || FAILED(CheckDrawable()) ||
        (shader_ & 1) != 0 || (indexFormat != D3DFMT_INDEX16 && indexFormat != D3DFMT_INDEX32)) {
        return D3DERR_INVALIDCALL;
    }
    const bool wide = indexFormat == D3DFMT_INDEX32;
    // The vertex range given is all the memory there is: indices beyond it are refused.
    const IndexRange range = IndexRangeOf(indices, wide, count);
    if (range.low < minIndex || range.high >= static_cast<std::uint64_t>(minIndex) + vertexCount) {
        return D3DERR_INVALIDCALL;
    }
    SetStreamSource(0, nullptr, 0);
    SetIndices(nullptr, 0);
    if (loss_ != Loss::None) {
        return D3D_OK;
    }
    BatchDraw draw;
    draw.memory[0] = static_cast<const BYTE*>(vertices);
    draw.stride[0] = stride;
    draw.low = range.low;
    draw.high = range.high;
    draw.indices = indices;
    draw.wide = wide;
    draw.indexCount = count;
    const bool batchable = Batchable(type, range.high + 1 - range.low);
    if (batchable && Joins(draw)) {
        AddToBatch(draw);
        LogDraw(type, primitiveCount, vertexCount, true);
        return D3D_OK;
    }
    FlushBatch();
    gl_->MakeCurrent();
    if (batchable) {
        StartCopiedBatch(type, primitiveCount, draw, true, vertexCount);
        return D3D_OK;
    }
    VertexSource source;
    source.base[0] = static_cast<const BYTE*>(vertices);
    source.memory[0] = source.base[0];
    source.stride[0] = stride;
    BindElementBuffer(0);
    if (PrepareDraw(type, source, minIndex, vertexCount, primitiveCount, true)) {
        ++glDraws_;
        glDrawElements(PrimitiveOf(type), static_cast<GLsizei>(count), wide ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT,
                       indices);
    }
    return D3D_OK;
}

}  // namespace platform::d3d8
