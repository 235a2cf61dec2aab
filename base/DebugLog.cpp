#include "base/DebugLog.h"

#include "base/Fatal.h"

#include <cstdio>

bool TDebugLogFile::WriteLine(const std::string& line) {
    ReportDiagnostic(line);
    std::FILE* f = std::fopen(path_.c_str(), started_ ? "ab" : "wb");
    if (!f) return false;
    started_ = true;
    const std::string text = line + "\r\n";
    const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && ok;
}
