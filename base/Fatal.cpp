#include "base/Fatal.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace {
std::mutex& HookMutex() {
    static std::mutex m;
    return m;
}
FatalHook& Hook() {
    static FatalHook hook;
    return hook;
}
} // namespace

FatalHook SetFatalHook(FatalHook hook) {
    std::lock_guard<std::mutex> lock(HookMutex());
    FatalHook old = std::move(Hook());
    Hook() = std::move(hook);
    return old;
}

void HaltProgram(const std::string& message) {
    std::fprintf(stderr, "himawari: %s\n", message.c_str());
    std::fflush(stderr);
    FatalHook hook;
    {
        std::lock_guard<std::mutex> lock(HookMutex());
        hook = Hook();
    }
    if (hook) hook(message);
    std::exit(1);
}

void ReportDiagnostic(const std::string& line) {
    std::fprintf(stderr, "himawari: %s\n", line.c_str());
    std::fflush(stderr);
}
