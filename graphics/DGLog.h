#pragma once
// The graphics layer's reporting: the debug log "DODozuz_DebugLog.txt", the detail
// log, the result check with its halt option, and the names of result codes and
// formats. One log per program, shared by every graphics object.
#include "graphics/device/D3DTypes.h"

#include <string>
#include <string_view>

// The options of TDODozuz::DebugOption.
enum TDGDebugOption : uint32_t {
    dgoNone = 0,
    dgoHaltOnError = 1,  // a failed call ends the program
    dgoDebugMessage = 2, // failures are written to the log
    dgoDetailedLog = 4,  // progress lines are written too
    dgoAll = 7,
};
constexpr TDGDebugOption operator|(TDGDebugOption a, TDGDebugOption b) {
    return static_cast<TDGDebugOption>(static_cast<uint32_t>(a) | static_cast<uint32_t>(b));
}

// Copies the three options into the log's flags (the last component to set them wins).
void DGApplyDebugOption(TDGDebugOption Option);
TDGDebugOption DGCurrentDebugOption();

// With dgoDebugMessage: one numbered line "#%.5d | %s%s" (counter, two spaces per
// indent level, message) appended to the log file; the first line of a run truncates
// it. A log that cannot be written never stops the game: the line still reaches
// standard error.
void DebugLog(std::string_view Message);
// DebugLog when dgoDetailedLog is set as well. An empty message gives a separator line.
void DetailLog(std::string_view Message);
// Whether DetailLog writes anything (so that a message need not be built for nothing).
bool DetailLogOn();
// 0 returns at once. Otherwise logs Message, in the player's language (it is marked with
// TrNoop where it is written), + "(Error Code = <name>)" and, with dgoHaltOnError, ends
// the program through HaltProgram (exit status 1, message shown). Answers Code.
HRESULT CheckResult(HRESULT Code, std::string_view Message);

// Sections framed by ■■■ lines indent the lines between them.
void DGLogIndent(int32_t Delta);
int32_t DGLogIndentLevel();

// "D3DERR_DEVICELOST" and so on; unknown codes "UNKNOWN ERROR ... $XXXXXXXX".
std::string D3DErrorName(HRESULT Code);
// "A8R8G8B8" and so on; unknown formats "UNKNOWN".
std::string D3DFormatName(D3DFORMAT Format);

// The folder of the log file (with a trailing separator); ExeDir() until set.
void SetDGLogFolder(const std::string& Folder);
std::string DGLogPath();
// Starts the log afresh: counter and indent 0, the next line truncates the file.
void DGLogRestart();
