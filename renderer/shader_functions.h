#pragma once
// The OpenGL functions beyond 1.1 that the instanced way of drawing needs:
// buffer objects, GLSL programs, generic vertex attributes and instancing.

#include "gl_api.h"
#include "gl_loader.h"

namespace vessmark {

struct ShaderFunctions {
    PFNGLGENBUFFERSPROC GenBuffers = nullptr;
    PFNGLBINDBUFFERPROC BindBuffer = nullptr;
    PFNGLBUFFERDATAPROC BufferData = nullptr;
    PFNGLCREATESHADERPROC CreateShader = nullptr;
    PFNGLSHADERSOURCEPROC ShaderSource = nullptr;
    PFNGLCOMPILESHADERPROC CompileShader = nullptr;
    PFNGLGETSHADERIVPROC GetShaderiv = nullptr;
    PFNGLDELETESHADERPROC DeleteShader = nullptr;
    PFNGLCREATEPROGRAMPROC CreateProgram = nullptr;
    PFNGLATTACHSHADERPROC AttachShader = nullptr;
    PFNGLBINDATTRIBLOCATIONPROC BindAttribLocation = nullptr;
    PFNGLLINKPROGRAMPROC LinkProgram = nullptr;
    PFNGLGETPROGRAMIVPROC GetProgramiv = nullptr;
    PFNGLUSEPROGRAMPROC UseProgram = nullptr;
    PFNGLENABLEVERTEXATTRIBARRAYPROC EnableVertexAttribArray = nullptr;
    PFNGLDISABLEVERTEXATTRIBARRAYPROC DisableVertexAttribArray = nullptr;
    PFNGLVERTEXATTRIBPOINTERPROC VertexAttribPointer = nullptr;
    PFNGLVERTEXATTRIBDIVISORPROC VertexAttribDivisor = nullptr;
    PFNGLDRAWELEMENTSINSTANCEDPROC DrawElementsInstanced = nullptr;
};

// Looks every function up; the two instancing calls by their extensions'
// names when `arbInstancing`. False, with the functions not to be used, when
// any is missing.
bool LoadShaderFunctions(const GlFunctionLoader& load, bool arbInstancing, ShaderFunctions& functions);

} // namespace vessmark
