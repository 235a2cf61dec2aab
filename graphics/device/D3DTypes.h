#pragma once
// The numbers and records of the render device, spelled the way Direct3D 9 spells
// them, so that the layer above reads like the game's original graphics code.
// Only what the graphics layer and its devices use is here.
#include <cstdint>
#include <string>

using HRESULT = int32_t;
using D3DFORMAT = uint32_t;
using D3DCOLOR = uint32_t; // ARGB: alpha in bits 24-31, red 16-23, green 8-15, blue 0-7
using D3DPOOL = uint32_t;
using D3DDEVTYPE = uint32_t;
// A stand-in for the native window handle the device draws into (0: none).
using WindowHandle = uintptr_t;

constexpr HRESULT ToHResult(uint32_t code) {
    return static_cast<HRESULT>(code);
}

// Result codes.
constexpr HRESULT D3D_OK = 0;
constexpr HRESULT D3DERR_OUTOFVIDEOMEMORY = ToHResult(0x8876017C);
constexpr HRESULT D3DERR_WRONGTEXTUREFORMAT = ToHResult(0x88760818);
constexpr HRESULT D3DERR_UNSUPPORTEDCOLOROPERATION = ToHResult(0x88760819);
constexpr HRESULT D3DERR_UNSUPPORTEDCOLORARG = ToHResult(0x8876081A);
constexpr HRESULT D3DERR_UNSUPPORTEDALPHAOPERATION = ToHResult(0x8876081B);
constexpr HRESULT D3DERR_UNSUPPORTEDALPHAARG = ToHResult(0x8876081C);
constexpr HRESULT D3DERR_TOOMANYOPERATIONS = ToHResult(0x8876081D);
constexpr HRESULT D3DERR_CONFLICTINGTEXTUREFILTER = ToHResult(0x8876081E);
constexpr HRESULT D3DERR_UNSUPPORTEDFACTORVALUE = ToHResult(0x8876081F);
constexpr HRESULT D3DERR_CONFLICTINGRENDERSTATE = ToHResult(0x88760821);
constexpr HRESULT D3DERR_UNSUPPORTEDTEXTUREFILTER = ToHResult(0x88760822);
constexpr HRESULT D3DERR_CONFLICTINGTEXTUREPALETTE = ToHResult(0x88760826);
constexpr HRESULT D3DERR_DRIVERINTERNALERROR = ToHResult(0x88760827);
constexpr HRESULT D3DERR_NOTFOUND = ToHResult(0x88760866);
constexpr HRESULT D3DERR_MOREDATA = ToHResult(0x88760867);
constexpr HRESULT D3DERR_DEVICELOST = ToHResult(0x88760868);
constexpr HRESULT D3DERR_DEVICENOTRESET = ToHResult(0x88760869);
constexpr HRESULT D3DERR_NOTAVAILABLE = ToHResult(0x8876086A);
constexpr HRESULT D3DERR_INVALIDDEVICE = ToHResult(0x8876086B);
constexpr HRESULT D3DERR_INVALIDCALL = ToHResult(0x8876086C);
constexpr HRESULT D3DERR_DRIVERINVALIDCALL = ToHResult(0x8876086D);

// Formats.
constexpr D3DFORMAT D3DFMT_UNKNOWN = 0;
constexpr D3DFORMAT D3DFMT_R8G8B8 = 20;
constexpr D3DFORMAT D3DFMT_A8R8G8B8 = 21;
constexpr D3DFORMAT D3DFMT_X8R8G8B8 = 22;
constexpr D3DFORMAT D3DFMT_R5G6B5 = 23;
constexpr D3DFORMAT D3DFMT_X1R5G5B5 = 24;
constexpr D3DFORMAT D3DFMT_A1R5G5B5 = 25;
constexpr D3DFORMAT D3DFMT_A4R4G4B4 = 26;
constexpr D3DFORMAT D3DFMT_R3G3B2 = 27;
constexpr D3DFORMAT D3DFMT_A8 = 28;
constexpr D3DFORMAT D3DFMT_A8R3G3B2 = 29;
constexpr D3DFORMAT D3DFMT_X4R4G4B4 = 30;
constexpr D3DFORMAT D3DFMT_A8P8 = 40;
constexpr D3DFORMAT D3DFMT_P8 = 41;
constexpr D3DFORMAT D3DFMT_L8 = 50;
constexpr D3DFORMAT D3DFMT_A8L8 = 51;
constexpr D3DFORMAT D3DFMT_A4L4 = 52;
constexpr D3DFORMAT D3DFMT_V8U8 = 60;
constexpr D3DFORMAT D3DFMT_L6V5U5 = 61;
constexpr D3DFORMAT D3DFMT_X8L8V8U8 = 62;
constexpr D3DFORMAT D3DFMT_Q8W8V8U8 = 63;
constexpr D3DFORMAT D3DFMT_V16U16 = 64;
constexpr D3DFORMAT D3DFMT_D16_LOCKABLE = 70;
constexpr D3DFORMAT D3DFMT_D32 = 71;
constexpr D3DFORMAT D3DFMT_D15S1 = 73;
constexpr D3DFORMAT D3DFMT_D24S8 = 75;
constexpr D3DFORMAT D3DFMT_D24X8 = 77;
constexpr D3DFORMAT D3DFMT_D24X4S4 = 79;
constexpr D3DFORMAT D3DFMT_D16 = 80;
constexpr D3DFORMAT D3DFMT_VERTEXDATA = 100;
constexpr D3DFORMAT D3DFMT_INDEX16 = 101;
constexpr D3DFORMAT D3DFMT_INDEX32 = 102;
constexpr D3DFORMAT MakeFourCC(char a, char b, char c, char d) {
    return static_cast<uint32_t>(static_cast<uint8_t>(a)) |
           static_cast<uint32_t>(static_cast<uint8_t>(b)) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(c)) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(d)) << 24;
}
constexpr D3DFORMAT D3DFMT_DXT1 = MakeFourCC('D', 'X', 'T', '1');
constexpr D3DFORMAT D3DFMT_DXT2 = MakeFourCC('D', 'X', 'T', '2');
constexpr D3DFORMAT D3DFMT_DXT3 = MakeFourCC('D', 'X', 'T', '3');
constexpr D3DFORMAT D3DFMT_DXT4 = MakeFourCC('D', 'X', 'T', '4');
constexpr D3DFORMAT D3DFMT_DXT5 = MakeFourCC('D', 'X', 'T', '5');
constexpr D3DFORMAT D3DFMT_YUY2 = MakeFourCC('Y', 'U', 'Y', '2');
constexpr D3DFORMAT D3DFMT_UYVY = MakeFourCC('U', 'Y', 'V', 'Y');

// Pools.
constexpr D3DPOOL D3DPOOL_DEFAULT = 0;
constexpr D3DPOOL D3DPOOL_MANAGED = 1;
constexpr D3DPOOL D3DPOOL_SYSTEMMEM = 2;
constexpr D3DPOOL D3DPOOL_SCRATCH = 3;

// Usage, resource types, lock flags.
constexpr uint32_t D3DUSAGE_RENDERTARGET = 0x1;
constexpr uint32_t D3DUSAGE_DEPTHSTENCIL = 0x2;
constexpr uint32_t D3DUSAGE_DYNAMIC = 0x200;
constexpr uint32_t D3DRTYPE_SURFACE = 1;
constexpr uint32_t D3DRTYPE_TEXTURE = 3;
constexpr uint32_t D3DLOCK_READONLY = 0x10;
constexpr uint32_t D3DLOCK_DISCARD = 0x2000;

// Device types, creation flags and caps bits.
constexpr D3DDEVTYPE D3DDEVTYPE_HAL = 1;
constexpr D3DDEVTYPE D3DDEVTYPE_REF = 2;
constexpr uint32_t D3DCREATE_SOFTWARE_VERTEXPROCESSING = 0x20;
constexpr uint32_t D3DCREATE_HARDWARE_VERTEXPROCESSING = 0x40;
constexpr uint32_t D3DDEVCAPS_HWTRANSFORMANDLIGHT = 0x10000;
constexpr uint32_t D3DPTEXTURECAPS_POW2 = 0x2;
constexpr uint32_t D3DPTEXTURECAPS_SQUAREONLY = 0x20;
constexpr uint32_t D3DPMISCCAPS_BLENDOP = 0x800;
constexpr uint32_t D3DADAPTER_DEFAULT = 0;
constexpr uint32_t D3D_SDK_VERSION = 31;

// Presentation.
constexpr uint32_t D3DSWAPEFFECT_DISCARD = 1;
constexpr uint32_t D3DSWAPEFFECT_FLIP = 2;
constexpr uint32_t D3DSWAPEFFECT_COPY = 3;
constexpr uint32_t D3DPRESENT_INTERVAL_DEFAULT = 0;
constexpr uint32_t D3DMULTISAMPLE_NONE = 0;
constexpr uint32_t D3DBACKBUFFER_TYPE_MONO = 0;

// Clear flags.
constexpr uint32_t D3DCLEAR_TARGET = 0x1;
constexpr uint32_t D3DCLEAR_ZBUFFER = 0x2;
constexpr uint32_t D3DCLEAR_STENCIL = 0x4;

// Transform states.
constexpr uint32_t D3DTS_VIEW = 2;
constexpr uint32_t D3DTS_PROJECTION = 3;
constexpr uint32_t D3DTS_WORLD = 256;

// Render states.
constexpr uint32_t D3DRS_ZENABLE = 7;
constexpr uint32_t D3DRS_FILLMODE = 8;
constexpr uint32_t D3DRS_SHADEMODE = 9;
constexpr uint32_t D3DRS_ZWRITEENABLE = 14;
constexpr uint32_t D3DRS_ALPHATESTENABLE = 15;
constexpr uint32_t D3DRS_SRCBLEND = 19;
constexpr uint32_t D3DRS_DESTBLEND = 20;
constexpr uint32_t D3DRS_CULLMODE = 22;
constexpr uint32_t D3DRS_ZFUNC = 23;
constexpr uint32_t D3DRS_ALPHAREF = 24;
constexpr uint32_t D3DRS_ALPHAFUNC = 25;
constexpr uint32_t D3DRS_ALPHABLENDENABLE = 27;
constexpr uint32_t D3DRS_SPECULARENABLE = 29;
constexpr uint32_t D3DRS_WRAP0 = 128;
constexpr uint32_t D3DRS_LIGHTING = 137;
constexpr uint32_t D3DRS_BLENDOP = 171;
constexpr uint32_t D3DRS_SCISSORTESTENABLE = 174; // draws only inside the scissor rectangle
constexpr uint32_t D3DRS_COUNT = 256;             // states are numbered below this

constexpr uint32_t D3DFILL_POINT = 1;
constexpr uint32_t D3DFILL_WIREFRAME = 2;
constexpr uint32_t D3DFILL_SOLID = 3;
constexpr uint32_t D3DCULL_NONE = 1;
constexpr uint32_t D3DCULL_CW = 2;
constexpr uint32_t D3DCULL_CCW = 3;
constexpr uint32_t D3DZB_FALSE = 0;
constexpr uint32_t D3DZB_TRUE = 1;

// Comparison functions (alpha test, depth).
constexpr uint32_t D3DCMP_NEVER = 1;
constexpr uint32_t D3DCMP_LESS = 2;
constexpr uint32_t D3DCMP_EQUAL = 3;
constexpr uint32_t D3DCMP_LESSEQUAL = 4;
constexpr uint32_t D3DCMP_GREATER = 5;
constexpr uint32_t D3DCMP_NOTEQUAL = 6;
constexpr uint32_t D3DCMP_GREATEREQUAL = 7;
constexpr uint32_t D3DCMP_ALWAYS = 8;

// Blend factors and operations.
constexpr uint32_t D3DBLEND_ZERO = 1;
constexpr uint32_t D3DBLEND_ONE = 2;
constexpr uint32_t D3DBLEND_SRCCOLOR = 3;
constexpr uint32_t D3DBLEND_INVSRCCOLOR = 4;
constexpr uint32_t D3DBLEND_SRCALPHA = 5;
constexpr uint32_t D3DBLEND_INVSRCALPHA = 6;
constexpr uint32_t D3DBLEND_DESTALPHA = 7;
constexpr uint32_t D3DBLEND_INVDESTALPHA = 8;
constexpr uint32_t D3DBLEND_DESTCOLOR = 9;
constexpr uint32_t D3DBLEND_INVDESTCOLOR = 10;
constexpr uint32_t D3DBLENDOP_ADD = 1;
constexpr uint32_t D3DBLENDOP_SUBTRACT = 2;
constexpr uint32_t D3DBLENDOP_REVSUBTRACT = 3;
constexpr uint32_t D3DBLENDOP_MIN = 4;
constexpr uint32_t D3DBLENDOP_MAX = 5;

// Sampler states and their values.
constexpr uint32_t D3DSAMP_ADDRESSU = 1;
constexpr uint32_t D3DSAMP_ADDRESSV = 2;
constexpr uint32_t D3DSAMP_ADDRESSW = 3;
constexpr uint32_t D3DSAMP_BORDERCOLOR = 4;
constexpr uint32_t D3DSAMP_MAGFILTER = 5;
constexpr uint32_t D3DSAMP_MINFILTER = 6;
constexpr uint32_t D3DSAMP_MIPFILTER = 7;
constexpr uint32_t D3DSAMP_COUNT = 14;
constexpr uint32_t D3DTADDRESS_WRAP = 1;
constexpr uint32_t D3DTADDRESS_MIRROR = 2;
constexpr uint32_t D3DTADDRESS_CLAMP = 3;
constexpr uint32_t D3DTADDRESS_BORDER = 4;
constexpr uint32_t D3DTEXF_NONE = 0;
constexpr uint32_t D3DTEXF_POINT = 1;
constexpr uint32_t D3DTEXF_LINEAR = 2;

// Texture stage states and their values.
constexpr uint32_t D3DTSS_COLOROP = 1;
constexpr uint32_t D3DTSS_COLORARG1 = 2;
constexpr uint32_t D3DTSS_COLORARG2 = 3;
constexpr uint32_t D3DTSS_ALPHAOP = 4;
constexpr uint32_t D3DTSS_ALPHAARG1 = 5;
constexpr uint32_t D3DTSS_ALPHAARG2 = 6;
constexpr uint32_t D3DTSS_COUNT = 33;
constexpr uint32_t D3DTOP_DISABLE = 1;
constexpr uint32_t D3DTOP_SELECTARG1 = 2;
constexpr uint32_t D3DTOP_SELECTARG2 = 3;
constexpr uint32_t D3DTOP_MODULATE = 4;
constexpr uint32_t D3DTA_DIFFUSE = 0;
constexpr uint32_t D3DTA_CURRENT = 1;
constexpr uint32_t D3DTA_TEXTURE = 2;

// Vertex formats and primitives.
constexpr uint32_t D3DFVF_XYZ = 0x002;
constexpr uint32_t D3DFVF_XYZRHW = 0x004;
constexpr uint32_t D3DFVF_DIFFUSE = 0x040;
constexpr uint32_t D3DFVF_SPECULAR = 0x080;
constexpr uint32_t D3DFVF_TEX1 = 0x100;
constexpr uint32_t D3DPT_TRIANGLELIST = 4;
constexpr uint32_t D3DPT_TRIANGLESTRIP = 5;

// A rectangle: Left and Top inside, Right and Bottom just outside.
struct TRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;
    int32_t Width() const { return Right - Left; }
    int32_t Height() const { return Bottom - Top; }
    bool operator==(const TRect&) const = default;
};
inline TRect Rect(int32_t Left, int32_t Top, int32_t Right, int32_t Bottom) {
    return {Left, Top, Right, Bottom};
}

struct D3DDISPLAYMODE {
    uint32_t Width = 0;
    uint32_t Height = 0;
    uint32_t RefreshRate = 0;
    D3DFORMAT Format = D3DFMT_UNKNOWN;
};

struct D3DADAPTER_IDENTIFIER9 {
    std::string Driver;
    std::string Description;
    uint32_t VendorId = 0;
    uint32_t DeviceId = 0;
    uint32_t SubSysId = 0;
    uint32_t Revision = 0;
};

struct D3DCAPS9 {
    D3DDEVTYPE DeviceType = D3DDEVTYPE_HAL;
    uint32_t AdapterOrdinal = 0;
    uint32_t DevCaps = 0;
    uint32_t PrimitiveMiscCaps = 0;
    uint32_t TextureCaps = 0;
    uint32_t MaxTextureWidth = 0;
    uint32_t MaxTextureHeight = 0;
    uint32_t MaxPrimitiveCount = 0;
};

struct D3DPRESENT_PARAMETERS {
    uint32_t BackBufferWidth = 0;
    uint32_t BackBufferHeight = 0;
    D3DFORMAT BackBufferFormat = D3DFMT_UNKNOWN;
    uint32_t BackBufferCount = 0;
    uint32_t MultiSampleType = 0;
    uint32_t MultiSampleQuality = 0;
    uint32_t SwapEffect = 0;
    WindowHandle hDeviceWindow = 0;
    int32_t Windowed = 0;
    int32_t EnableAutoDepthStencil = 0;
    D3DFORMAT AutoDepthStencilFormat = D3DFMT_UNKNOWN;
    uint32_t Flags = 0;
    uint32_t FullScreen_RefreshRateInHz = 0;
    uint32_t PresentationInterval = 0;
};

struct D3DSURFACE_DESC {
    D3DFORMAT Format = D3DFMT_UNKNOWN;
    uint32_t Type = 0;
    uint32_t Usage = 0;
    D3DPOOL Pool = D3DPOOL_DEFAULT;
    uint32_t Width = 0;
    uint32_t Height = 0;
};

struct D3DLOCKED_RECT {
    int32_t Pitch = 0;     // bytes from one row to the next; may exceed width * bytes per pixel
    void* pBits = nullptr; // the top-left pixel of the locked rectangle
};

struct D3DVIEWPORT9 {
    uint32_t X = 0;
    uint32_t Y = 0;
    uint32_t Width = 0;
    uint32_t Height = 0;
    float MinZ = 0.0f;
    float MaxZ = 1.0f;
};

// A 4x4 matrix of row vectors: m[row][column], m[3] is the translation.
struct D3DMATRIX {
    float m[4][4] = {};
};

// The pre-transformed vertex the sprite scene sends
// (D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1, 32 bytes).
struct TTLVertex {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float rhw = 1.0f;
    D3DCOLOR diffuse = 0xFFFFFFFF;
    D3DCOLOR specular = 0;
    float u = 0.0f;
    float v = 0.0f;
};
constexpr uint32_t TTLVertexFVF = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1;
static_assert(sizeof(TTLVertex) == 32);
