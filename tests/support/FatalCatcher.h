#pragma once
// Turns HaltProgram into an exception for the length of a test, so that the halt
// paths of the layers can be checked without ending the test program.
#include "base/Fatal.h"

#include <stdexcept>
#include <string>

struct HaltCalled : std::runtime_error {
    explicit HaltCalled(const std::string& m) : std::runtime_error(m) {}
};

class FatalCatcher {
public:
    FatalCatcher() {
        old_ = SetFatalHook([](const std::string& m) { throw HaltCalled(m); });
    }
    ~FatalCatcher() { SetFatalHook(old_); }
    FatalCatcher(const FatalCatcher&) = delete;
    FatalCatcher& operator=(const FatalCatcher&) = delete;

private:
    FatalHook old_;
};
