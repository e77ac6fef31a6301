#include "shader_functions.h"

namespace vessmark {

namespace {
template <typename Function>
bool Look(const GlFunctionLoader& load, const char* name, Function& into)
{
    into = reinterpret_cast<Function>(load(name));
    return into != nullptr;
}
} // namespace

bool LoadShaderFunctions(const GlFunctionLoader& load, bool arbInstancing, ShaderFunctions& f)
{
    if (!load) {
        return false;
    }
    // Every lookup runs, so that a missing one leaves no doubt about the rest.
    bool found = true;
    found &= Look(load, "glGenBuffers", f.GenBuffers);
    found &= Look(load, "glBindBuffer", f.BindBuffer);
    found &= Look(load, "glBufferData", f.BufferData);
    found &= Look(load, "glCreateShader", f.CreateShader);
    found &= Look(load, "glShaderSource", f.ShaderSource);
    found &= Look(load, "glCompileShader", f.CompileShader);
    found &= Look(load, "glGetShaderiv", f.GetShaderiv);
    found &= Look(load, "glDeleteShader", f.DeleteShader);
    found &= Look(load, "glCreateProgram", f.CreateProgram);
    found &= Look(load, "glAttachShader", f.AttachShader);
    found &= Look(load, "glBindAttribLocation", f.BindAttribLocation);
    found &= Look(load, "glLinkProgram", f.LinkProgram);
    found &= Look(load, "glGetProgramiv", f.GetProgramiv);
    found &= Look(load, "glUseProgram", f.UseProgram);
    found &= Look(load, "glEnableVertexAttribArray", f.EnableVertexAttribArray);
    found &= Look(load, "glDisableVertexAttribArray", f.DisableVertexAttribArray);
    found &= Look(load, "glVertexAttribPointer", f.VertexAttribPointer);
    found &= Look(load, arbInstancing ? "glVertexAttribDivisorARB" : "glVertexAttribDivisor", f.VertexAttribDivisor);
    found &= Look(load, arbInstancing ? "glDrawElementsInstancedARB" : "glDrawElementsInstanced",
                  f.DrawElementsInstanced);
    return found;
}

} // namespace vessmark
