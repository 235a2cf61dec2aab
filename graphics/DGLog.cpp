#include "graphics/DGLog.h"

#include "base/DebugLog.h"
#include "base/Fatal.h"
#include "base/Format.h"
#include "base/Paths.h"
#include "base/Translate.h"

#include <utility>

namespace {
// The log of the whole layer: one per program, like the game's unit-wide state.
struct TDGLogState {
    TDGDebugOption option = dgoAll;
    int32_t counter = 0;
    int32_t indent = 0;
    std::string folder;
    bool folderSet = false;
    TDebugLogFile file{""};
};

TDGLogState& State() {
    static TDGLogState state;
    return state;
}

const char* const LogFileName = "DODozuz_DebugLog.txt";
} // namespace

void DGApplyDebugOption(TDGDebugOption Option) {
    State().option = Option;
}
TDGDebugOption DGCurrentDebugOption() {
    return State().option;
}

std::string DGLogPath() {
    TDGLogState& s = State();
    return (s.folderSet ? s.folder : ExeDir()) + LogFileName;
}

void SetDGLogFolder(const std::string& Folder) {
    TDGLogState& s = State();
    s.folder = Folder;
    if (!s.folder.empty() && s.folder.back() != '/') s.folder += '/';
    s.folderSet = true;
    s.file.SetPath(DGLogPath());
}

void DGLogRestart() {
    TDGLogState& s = State();
    s.counter = 0;
    s.indent = 0;
    s.file.Restart();
}

void DebugLog(std::string_view Message) {
    TDGLogState& s = State();
    if (!(s.option & dgoDebugMessage)) return;
    if (s.file.Path().empty()) s.file.SetPath(DGLogPath());
    ++s.counter;
    const std::string indent(static_cast<size_t>(s.indent > 0 ? s.indent * 2 : 0), ' ');
    const std::string line = Format("#%.5d | %s", s.counter, indent.c_str()).append(Message);
    if (!s.file.WriteLine(line))
        ReportDiagnostic("the graphics debug log cannot be written: " + s.file.Path());
}

bool DetailLogOn() {
    return (State().option & dgoDetailedLog) && (State().option & dgoDebugMessage);
}

void DetailLog(std::string_view Message) {
    if (State().option & dgoDetailedLog) DebugLog(Message);
}

// The message is a view, so that a call that succeeds costs no string.
HRESULT CheckResult(HRESULT Code, std::string_view Message) {
    if (Code == D3D_OK) return Code;
    // TRANSLATORS: a failure's message, then the name of the device's error code.
    const std::string line =
        Format(Tr("%s(Error Code = %s)"), Tr(std::string(Message)).c_str(), D3DErrorName(Code).c_str());
    DebugLog(line);
    if (State().option & dgoHaltOnError) HaltProgram(line);
    return Code;
}

void DGLogIndent(int32_t Delta) {
    State().indent += Delta;
}
int32_t DGLogIndentLevel() {
    return State().indent;
}

std::string D3DErrorName(HRESULT Code) {
    static const std::pair<HRESULT, const char*> names[] = {
        {D3D_OK, "D3D_OK"},
        {D3DERR_OUTOFVIDEOMEMORY, "D3DERR_OUTOFVIDEOMEMORY"},
        {D3DERR_WRONGTEXTUREFORMAT, "D3DERR_WRONGTEXTUREFORMAT"},
        {D3DERR_UNSUPPORTEDCOLOROPERATION, "D3DERR_UNSUPPORTEDCOLOROPERATION "},
        {D3DERR_UNSUPPORTEDCOLORARG, "D3DERR_UNSUPPORTEDCOLORARG "},
        {D3DERR_UNSUPPORTEDALPHAOPERATION, "D3DERR_UNSUPPORTEDALPHAOPERATION "},
        {D3DERR_UNSUPPORTEDALPHAARG, "D3DERR_UNSUPPORTEDALPHAARG "},
        {D3DERR_TOOMANYOPERATIONS, "D3DERR_TOOMANYOPERATIONS "},
        {D3DERR_CONFLICTINGTEXTUREFILTER, "D3DERR_CONFLICTINGTEXTUREFILTER"},
        {D3DERR_UNSUPPORTEDFACTORVALUE, "D3DERR_UNSUPPORTEDFACTORVALUE"},
        {D3DERR_CONFLICTINGRENDERSTATE, "D3DERR_CONFLICTINGRENDERSTATE"},
        {D3DERR_UNSUPPORTEDTEXTUREFILTER, "D3DERR_UNSUPPORTEDTEXTUREFILTER"},
        {D3DERR_CONFLICTINGTEXTUREPALETTE, "D3DERR_CONFLICTINGTEXTUREPALETTE "},
        {D3DERR_DRIVERINTERNALERROR, "D3DERR_DRIVERINTERNALERROR "},
        {D3DERR_NOTFOUND, "D3DERR_NOTFOUND"},
        {D3DERR_MOREDATA, "D3DERR_MOREDATA"},
        {D3DERR_DEVICELOST, "D3DERR_DEVICELOST"},
        {D3DERR_DEVICENOTRESET, "D3DERR_DEVICENOTRESET"},
        {D3DERR_NOTAVAILABLE, "D3DERR_NOTAVAILABLE"},
        {D3DERR_INVALIDDEVICE, "D3DERR_INVALIDDEVICE "},
        {D3DERR_INVALIDCALL, "D3DERR_INVALIDCALL "},
        {D3DERR_DRIVERINVALIDCALL, "D3DERR_DRIVERINVALIDCALL "},
    };
    for (const auto& [code, name] : names)
        if (code == Code) return name;
    return Format("UNKNOWN ERROR ... $%.8X", static_cast<uint32_t>(Code));
}

std::string D3DFormatName(D3DFORMAT Format) {
    static const std::pair<D3DFORMAT, const char*> names[] = {
        {D3DFMT_R8G8B8, "R8G8B8"},
        {D3DFMT_A8R8G8B8, "A8R8G8B8"},
        {D3DFMT_X8R8G8B8, "X8R8G8B8"},
        {D3DFMT_R5G6B5, "R5G6B5"},
        {D3DFMT_X1R5G5B5, "X1R5G5B5"},
        {D3DFMT_A1R5G5B5, "A1R5G5B5"},
        {D3DFMT_A4R4G4B4, "A4R4G4B4"},
        {D3DFMT_R3G3B2, "R3G3B2"},
        {D3DFMT_A8, "A8"},
        {D3DFMT_A8R3G3B2, "A8R3G3B2"},
        {D3DFMT_X4R4G4B4, "X4R4G4B4"},
        {D3DFMT_A8P8, "A8P8"},
        {D3DFMT_P8, "P8"},
        {D3DFMT_L8, "L8"},
        {D3DFMT_A8L8, "A8L8"},
        {D3DFMT_A4L4, "A4L4"},
        {D3DFMT_V8U8, "V8U8"},
        {D3DFMT_L6V5U5, "L6V5U5"},
        {D3DFMT_X8L8V8U8, "X8L8V8U8"},
        {D3DFMT_Q8W8V8U8, "Q8W8V8U8"},
        {D3DFMT_V16U16, "V16U16"},
        {D3DFMT_D16_LOCKABLE, "D16_LOCKABLE"},
        {D3DFMT_D32, "D32"},
        {D3DFMT_D15S1, "D15S1"},
        {D3DFMT_D24S8, "D24S8"},
        {D3DFMT_D24X8, "D24X8"},
        {D3DFMT_D24X4S4, "D24X4S4"},
        {D3DFMT_D16, "D16"},
        {D3DFMT_VERTEXDATA, "VERTEXDATA"},
        {D3DFMT_INDEX16, "INDEX16"},
        {D3DFMT_INDEX32, "INDEX32"},
        {D3DFMT_DXT1, "DXT1"},
        {D3DFMT_DXT2, "DXT2"},
        {D3DFMT_DXT3, "DXT3"},
        {D3DFMT_DXT4, "DXT4"},
        {D3DFMT_DXT5, "DXT5"},
        {D3DFMT_YUY2, "YUY2"},
        {D3DFMT_UYVY, "UYVY"},
    };
    for (const auto& [format, name] : names)
        if (format == Format) return name;
    return "UNKNOWN";
}
