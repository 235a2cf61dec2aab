#pragma once
// A layer's debug log file: truncated by the first line written in a run, then one
// line appended per message (numbering and layout are the layer's own). Every line
// is also echoed to standard error.
#include <string>

class TDebugLogFile {
public:
    explicit TDebugLogFile(std::string path) : path_(std::move(path)) {}
    // Appends line + "\r\n"; the first call of the run truncates the file first.
    // Returns false when the file cannot be written (the line still reaches stderr).
    bool WriteLine(const std::string& line);
    const std::string& Path() const { return path_; }
    void SetPath(std::string path) { path_ = std::move(path); }
    // Forget that the file was started, so the next line truncates it again.
    void Restart() { started_ = false; }

private:
    std::string path_;
    bool started_ = false;
};
