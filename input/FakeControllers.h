#pragma once
// A list of pretend game controllers whose states the test sets by hand.
#include "input/Controllers.h"

#include <memory>
#include <vector>

// One pretend controller; shared with its readers, which may outlive a test's changes.
struct FakeController {
    TControllerInfo info;
    TDIJoyState state;
    bool attached = true;
    bool failOpen = false;
    int polls = 0;
};

class FakeControllers : public IControllerBackend {
public:
    // Adds an attached controller; returns its position in the list.
    size_t Add(const std::string& productName, bool forceFeedback);
    void SetState(size_t controller, const TDIJoyState& state);
    // An unplugged controller is no longer listed and its reads fail.
    void Unplug(size_t controller);
    // Open fails for this controller, as for one unplugged between listing and opening.
    void FailOpen(size_t controller);

    int Polls(size_t controller) const;
    int Listings() const { return listings_; }

    std::vector<TControllerInfo> Attached() override;
    std::unique_ptr<IControllerReader> Open(uint32_t instance) override;

private:
    std::vector<std::shared_ptr<FakeController>> controllers_;
    int listings_ = 0;
};
