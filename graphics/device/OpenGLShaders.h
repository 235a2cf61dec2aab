#pragma once
// The shader programs of the OpenGL device (see TGLProgramKey).
#include "graphics/device/OpenGLInternal.h"

#include <cstdint>
#include <string>

// The GLSL of the fragment shader for a key (the vertex shader is shared).
std::string FragmentShaderSource(TGLProgramKey Key);
const char* VertexShaderSource();

// Compiles and links the program for a key; the context must be current. False with
// the reason in Error when the driver refuses it.
bool BuildProgram(TGLProgramKey Key, TGLProgram& Program, std::string& Error);
