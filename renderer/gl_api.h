#pragma once
// OpenGL 1.1 and GLU for the portable core, and the types and names of the
// newer functions, which are looked up at run time (gl_loader.h). The Windows headers want the
// import and calling-convention macros that windows.h would define; giving them
// here keeps windows.h out of the core.

#if defined(_WIN32)
#  ifndef APIENTRY
#    define APIENTRY __stdcall
#  endif
#  ifndef WINGDIAPI
#    define WINGDIAPI __declspec(dllimport)
#  endif
#  ifndef CALLBACK
#    define CALLBACK __stdcall
#  endif
#endif

#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>
