#include "platform/d3d8/gl_api.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>

namespace platform::gl {

#define QM_GL_DEFINE(type, name, text) type name = nullptr;
QM_GL_FUNCTIONS(QM_GL_DEFINE)
QM_GL_VP_FUNCTIONS(QM_GL_DEFINE)
#undef QM_GL_DEFINE

namespace {

// Core name first, then the extension's suffix (older drivers expose only EXT framebuffers).
void* Fetch(const char* name)
{
    void* p = SDL_GL_GetProcAddress(name);
    if (p == nullptr) {
        std::string ext = std::string(name) + "EXT";
        p = SDL_GL_GetProcAddress(ext.c_str());
    }
    return p;
}

std::string Text(GLenum what)
{
    const auto* s = reinterpret_cast<const char*>(glGetString(what));
    return s != nullptr ? std::string(s) : std::string();
}

}  // namespace

bool HasExtension(const char* extensions, const char* name)
{
    if (extensions == nullptr || name == nullptr || *name == '\0') {
        return false;
    }
    const size_t len = std::strlen(name);
    for (const char* p = extensions; (p = std::strstr(p, name)) != nullptr; p += len) {
        const bool startOk = p == extensions || p[-1] == ' ';
        const bool endOk = p[len] == '\0' || p[len] == ' ';
        if (startOk && endOk) {
            return true;
        }
    }
    return false;
}

bool Load(Features* out)
{
    Features f;
    f.renderer = Text(GL_RENDERER);
    f.vendor = Text(GL_VENDOR);
    f.version = Text(GL_VERSION);
    if (std::sscanf(f.version.c_str(), "%d.%d", &f.majorVersion, &f.minorVersion) != 2) {
        return false;
    }
    const auto* ext = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    f.vertexProgram = HasExtension(ext, "GL_ARB_vertex_program");
    f.vertexArrayBgra = HasExtension(ext, "GL_ARB_vertex_array_bgra") || HasExtension(ext, "GL_EXT_vertex_array_bgra") ||
                        f.majorVersion > 3 || (f.majorVersion == 3 && f.minorVersion >= 2);
    f.anisotropic = HasExtension(ext, "GL_EXT_texture_filter_anisotropic") || HasExtension(ext, "GL_ARB_texture_filter_anisotropic");
    f.mirrorClamp = HasExtension(ext, "GL_EXT_texture_mirror_clamp") || HasExtension(ext, "GL_ARB_texture_mirror_clamp_to_edge");
    f.rgb565 = HasExtension(ext, "GL_ARB_ES2_compatibility");
    const bool fbo = HasExtension(ext, "GL_ARB_framebuffer_object") ||
                     (HasExtension(ext, "GL_EXT_framebuffer_object") && HasExtension(ext, "GL_EXT_framebuffer_blit")) ||
                     f.majorVersion >= 3;
    if (f.majorVersion < 2 || (f.majorVersion == 2 && f.minorVersion < 1) || !fbo || !f.vertexArrayBgra) {
        return false;
    }
    GLint v = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &v);
    f.maxTextureSize = v;
    v = 0;
    glGetIntegerv(GL_MAX_TEXTURE_UNITS, &v);
    f.maxTextureUnits = v;

#define QM_GL_LOAD(type, name, text) name = reinterpret_cast<type>(Fetch(text));
    QM_GL_FUNCTIONS(QM_GL_LOAD)
#define QM_GL_CHECK(type, name, text) \
    if (name == nullptr) {            \
        return false;                 \
    }
    QM_GL_FUNCTIONS(QM_GL_CHECK)
    if (f.vertexProgram) {
        QM_GL_VP_FUNCTIONS(QM_GL_LOAD)
        bool all = true;
#define QM_GL_VP_CHECK(type, name, text) all = all && name != nullptr;
        QM_GL_VP_FUNCTIONS(QM_GL_VP_CHECK)
        f.vertexProgram = all;
        if (all) {
            using GetProgramiv = void (*)(GLenum, GLenum, GLint*);
            auto get = reinterpret_cast<GetProgramiv>(Fetch("glGetProgramivARB"));
            GLint n = 0;
            if (get != nullptr) {
                get(GL_VERTEX_PROGRAM_ARB, GL_MAX_PROGRAM_ENV_PARAMETERS_ARB, &n);
            }
            f.maxEnvParameters = n;
            // vs.1.1 needs 96 constant registers.
            f.vertexProgram = n >= 96;
        }
#undef QM_GL_VP_CHECK
    }
#undef QM_GL_CHECK
#undef QM_GL_LOAD
    *out = f;
    return true;
}

}  // namespace platform::gl
