#pragma once
// Ending the program on a failure that the layers cannot go on from (their halt
// option). Stopping must never look like success: the message goes to standard
// error, to a message box when the window has installed its hook, and the process
// exits with status 1.
#include <functional>
#include <string>

using FatalHook = std::function<void(const std::string& message)>;

// The window installs a hook that shows the message box; tests install one that
// throws (see tests/support/FatalCatcher.h) so that halting paths can be checked.
// Returns the previous hook.
FatalHook SetFatalHook(FatalHook hook);

// Writes "message" to standard error, calls the hook, then exits with status 1.
// If the hook throws, the exception propagates instead of the exit (tests only).
[[noreturn]] void HaltProgram(const std::string& message);

// Diagnostics that a layer only logs are echoed to standard error as well.
void ReportDiagnostic(const std::string& line);
