#pragma once
// A clock that only moves when the test says so; Sleep advances it instantly.
#include "base/Clock.h"

#include <vector>

class ManualClock : public IClock {
public:
    explicit ManualClock(uint32_t start = 1000) : now_(start) {}
    uint32_t Now() override { return now_; }
    void Sleep(uint32_t ms) override {
        sleeps.push_back(ms);
        now_ += ms;
    }
    void Advance(uint32_t ms) { now_ += ms; }
    void Set(uint32_t t) { now_ = t; }

    std::vector<uint32_t> sleeps; // every Sleep asked for, in order

private:
    uint32_t now_;
};
