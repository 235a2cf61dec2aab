#include "graphics/device/OpenGLShaders.h"

#include <epoxy/gl.h>

namespace {

// The key's fields: operation (3 bits) and two argument bits per channel kind, the
// texture bit and the alpha test's comparison (0: no test).
enum : uint32_t {
    ColorOpShift = 0,
    ColorArg1Tex = 1u << 3,
    ColorArg2Tex = 1u << 4,
    AlphaOpShift = 5,
    AlphaArg1Tex = 1u << 8,
    AlphaArg2Tex = 1u << 9,
    HasTexture = 1u << 10,
    AlphaFuncShift = 11,
};

// The operations the stage knows here: 1 disable, 2 select arg 1, 3 select arg 2, and
// anything else modulates.
uint32_t OpCode(uint32_t op) {
    return op == 1 || op == 2 || op == 3 ? op : 4;
}

// An argument is the texture when its low bits say so; anything else is the diffuse
// colour (stage 0's current colour).
bool IsTexture(uint32_t arg) {
    return (arg & 15) == 2;
}

std::string Arg(bool texture) {
    return texture ? "texel" : "vColor";
}

std::string Operation(uint32_t op, bool arg1Tex, bool arg2Tex) {
    switch (op) {
    case 1:
        return "vColor";
    case 2:
        return Arg(arg1Tex);
    case 3:
        return Arg(arg2Tex);
    default:
        return Arg(arg1Tex) + " * " + Arg(arg2Tex);
    }
}

// The alpha test as a condition under which the pixel is kept, on alpha in 0..255.
std::string Passes(uint32_t func) {
    switch (func) {
    case 1:
        return "false";
    case 2:
        return "a < uAlphaRef";
    case 3:
        return "a == uAlphaRef";
    case 4:
        return "a <= uAlphaRef";
    case 5:
        return "a > uAlphaRef";
    case 6:
        return "a != uAlphaRef";
    case 7:
        return "a >= uAlphaRef";
    default:
        return "true";
    }
}

GLuint Compile(GLenum type, const char* source, std::string& error) {
    const GLuint s = glCreateShader(type);
    glShaderSource(s, 1, &source, nullptr);
    glCompileShader(s);
    GLint ok = 0;
    glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[1024] = {};
        glGetShaderInfoLog(s, sizeof log, nullptr, log);
        error = std::string("shader: ") + log;
        glDeleteShader(s);
        return 0;
    }
    return s;
}

} // namespace

TGLProgramKey TGLProgramKey::Of(const TGLDrawState& s) {
    TGLProgramKey k;
    k.value = OpCode(s.colorOp) << ColorOpShift | OpCode(s.alphaOp) << AlphaOpShift;
    if (IsTexture(s.colorArg1)) k.value |= ColorArg1Tex;
    if (IsTexture(s.colorArg2)) k.value |= ColorArg2Tex;
    if (IsTexture(s.alphaArg1)) k.value |= AlphaArg1Tex;
    if (IsTexture(s.alphaArg2)) k.value |= AlphaArg2Tex;
    if (s.texture) k.value |= HasTexture;
    // ALWAYS (8) or anything unknown passes every pixel: no test at all.
    if (s.alphaTest && s.alphaFunc >= 1 && s.alphaFunc <= 7) k.value |= s.alphaFunc << AlphaFuncShift;
    return k;
}

// Pre-transformed pixel coordinates: a pixel's centre lies on integers, so a vertex at
// x lands on GL window coordinate x + 0.5; y grows downwards. Sprites sit on whole
// pixels, so their edges pass exactly through pixel centres, where Direct3D takes the
// top and left edges and GL (whose y grows upwards) another pair: moving everything a
// 1/16 pixel up and left (a step that survives any rasteriser's sub-pixel grid) makes
// both take the same pixels. The same step puts a 1:1 sprite's texture coordinates a
// 1/16 texel inside each texel, so point sampling never lands on a texel's edge.
const char* VertexShaderSource() {
    return R"(#version 330 core
layout(location = 0) in vec2 aPos;
layout(location = 1) in vec4 aColor;
layout(location = 2) in vec2 aUV;
uniform vec2 uTarget;
out vec4 vColor;
out vec2 vUV;
void main() {
    vec2 p = aPos + (0.5 - 1.0 / 16.0);
    gl_Position = vec4(p.x / uTarget.x * 2.0 - 1.0, 1.0 - p.y / uTarget.y * 2.0, 0.0, 1.0);
    vColor = aColor;
    vUV = aUV;
}
)";
}

std::string FragmentShaderSource(TGLProgramKey Key) {
    const uint32_t k = Key.value;
    const uint32_t func = (k >> AlphaFuncShift) & 7;
    std::string s = "#version 330 core\n"
                    "in vec4 vColor;\nin vec2 vUV;\nout vec4 fragColor;\n"
                    "uniform sampler2D uTex;\nuniform int uAlphaRef;\n"
                    "void main() {\n";
    // Without a texture the stage reads white.
    s += (k & HasTexture) ? "    vec4 texel = texture(uTex, vUV);\n" : "    vec4 texel = vec4(1.0);\n";
    s += "    vec4 c = vec4((" +
         Operation((k >> ColorOpShift) & 7, (k & ColorArg1Tex) != 0, (k & ColorArg2Tex) != 0) + ").rgb, (" +
         Operation((k >> AlphaOpShift) & 7, (k & AlphaArg1Tex) != 0, (k & AlphaArg2Tex) != 0) + ").a);\n";
    if (func != 0) {
        s += "    int a = int(round(clamp(c.a, 0.0, 1.0) * 255.0));\n";
        s += "    if (!(" + Passes(func) + ")) discard;\n";
    }
    s += "    fragColor = c;\n}\n";
    return s;
}

bool BuildProgram(TGLProgramKey Key, TGLProgram& Program, std::string& Error) {
    const std::string fragment = FragmentShaderSource(Key);
    const GLuint vs = Compile(GL_VERTEX_SHADER, VertexShaderSource(), Error);
    const GLuint fs = vs ? Compile(GL_FRAGMENT_SHADER, fragment.c_str(), Error) : 0;
    if (!vs || !fs) {
        if (vs) glDeleteShader(vs);
        return false;
    }
    const GLuint id = glCreateProgram();
    glAttachShader(id, vs);
    glAttachShader(id, fs);
    glLinkProgram(id);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint ok = 0;
    glGetProgramiv(id, GL_LINK_STATUS, &ok);
    if (!ok) {
        Error = "shader program does not link";
        glDeleteProgram(id);
        return false;
    }
    Program.id = id;
    Program.uTarget = glGetUniformLocation(id, "uTarget");
    Program.uTex = glGetUniformLocation(id, "uTex");
    Program.uAlphaRef = glGetUniformLocation(id, "uAlphaRef");
    return true;
}
