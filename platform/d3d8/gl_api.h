// OpenGL entry points beyond 1.1, fetched from the context at device creation.
// Only platform/d3d8 includes this.
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

#include <string>

namespace platform::gl {

#define QM_GL_FUNCTIONS(X)                                                 \
    X(PFNGLACTIVETEXTUREPROC, ActiveTexture, "glActiveTexture")            \
    X(PFNGLCLIENTACTIVETEXTUREARBPROC, ClientActiveTexture, "glClientActiveTexture") \
    X(PFNGLBLENDEQUATIONPROC, BlendEquation, "glBlendEquation")            \
    X(PFNGLSECONDARYCOLORPOINTERPROC, SecondaryColorPointer, "glSecondaryColorPointer") \
    X(PFNGLGENBUFFERSPROC, GenBuffers, "glGenBuffers")                     \
    X(PFNGLDELETEBUFFERSPROC, DeleteBuffers, "glDeleteBuffers")            \
    X(PFNGLBINDBUFFERPROC, BindBuffer, "glBindBuffer")                     \
    X(PFNGLBUFFERDATAPROC, BufferData, "glBufferData")                     \
    X(PFNGLBUFFERSUBDATAPROC, BufferSubData, "glBufferSubData")            \
    X(PFNGLGENFRAMEBUFFERSPROC, GenFramebuffers, "glGenFramebuffers")      \
    X(PFNGLDELETEFRAMEBUFFERSPROC, DeleteFramebuffers, "glDeleteFramebuffers") \
    X(PFNGLBINDFRAMEBUFFERPROC, BindFramebuffer, "glBindFramebuffer")      \
    X(PFNGLFRAMEBUFFERTEXTURE2DPROC, FramebufferTexture2D, "glFramebufferTexture2D") \
    X(PFNGLFRAMEBUFFERRENDERBUFFERPROC, FramebufferRenderbuffer, "glFramebufferRenderbuffer") \
    X(PFNGLCHECKFRAMEBUFFERSTATUSPROC, CheckFramebufferStatus, "glCheckFramebufferStatus") \
    X(PFNGLGENRENDERBUFFERSPROC, GenRenderbuffers, "glGenRenderbuffers")   \
    X(PFNGLDELETERENDERBUFFERSPROC, DeleteRenderbuffers, "glDeleteRenderbuffers") \
    X(PFNGLBINDRENDERBUFFERPROC, BindRenderbuffer, "glBindRenderbuffer")   \
    X(PFNGLRENDERBUFFERSTORAGEPROC, RenderbufferStorage, "glRenderbufferStorage") \
    X(PFNGLBLITFRAMEBUFFERPROC, BlitFramebuffer, "glBlitFramebuffer")

#define QM_GL_VP_FUNCTIONS(X)                                              \
    X(PFNGLGENPROGRAMSARBPROC, GenProgramsARB, "glGenProgramsARB")         \
    X(PFNGLDELETEPROGRAMSARBPROC, DeleteProgramsARB, "glDeleteProgramsARB") \
    X(PFNGLBINDPROGRAMARBPROC, BindProgramARB, "glBindProgramARB")         \
    X(PFNGLPROGRAMSTRINGARBPROC, ProgramStringARB, "glProgramStringARB")   \
    X(PFNGLPROGRAMENVPARAMETER4FVARBPROC, ProgramEnvParameter4fvARB, "glProgramEnvParameter4fvARB") \
    X(PFNGLPROGRAMLOCALPARAMETER4FARBPROC, ProgramLocalParameter4fARB, "glProgramLocalParameter4fARB") \
    X(PFNGLVERTEXATTRIBPOINTERARBPROC, VertexAttribPointerARB, "glVertexAttribPointerARB") \
    X(PFNGLENABLEVERTEXATTRIBARRAYARBPROC, EnableVertexAttribArrayARB, "glEnableVertexAttribArrayARB") \
    X(PFNGLDISABLEVERTEXATTRIBARRAYARBPROC, DisableVertexAttribArrayARB, "glDisableVertexAttribArrayARB") \
    X(PFNGLVERTEXATTRIB4FARBPROC, VertexAttrib4fARB, "glVertexAttrib4fARB")

#define QM_GL_DECLARE(type, name, text) extern type name;
QM_GL_FUNCTIONS(QM_GL_DECLARE)
QM_GL_VP_FUNCTIONS(QM_GL_DECLARE)
#undef QM_GL_DECLARE

// What the current context offers, read once per context.
struct Features {
    std::string renderer;
    std::string vendor;
    std::string version;
    int majorVersion = 0;
    int minorVersion = 0;
    bool vertexProgram = false;   // GL_ARB_vertex_program, from the extension string
    bool vertexArrayBgra = false;
    bool anisotropic = false;
    bool mirrorClamp = false;
    bool rgb565 = false;
    int maxTextureSize = 0;
    int maxTextureUnits = 0;
    int maxEnvParameters = 0;
};

// Loads the entry points for the current context; false when something essential is missing.
bool Load(Features* out);

bool HasExtension(const char* extensions, const char* name);

}  // namespace platform::gl
