#include "input/FakeControllers.h"

namespace {

class FakeReader : public IControllerReader {
public:
    explicit FakeReader(std::shared_ptr<FakeController> c) : c_(std::move(c)) {}
    void Poll() override { ++c_->polls; }
    bool Read(TDIJoyState& state) override {
        if (!c_->attached) return false;
        state = c_->state;
        return true;
    }

private:
    std::shared_ptr<FakeController> c_;
};

} // namespace

size_t FakeControllers::Add(const std::string& productName, bool forceFeedback) {
    auto c = std::make_shared<FakeController>();
    c->info.instance = static_cast<uint32_t>(controllers_.size() + 100);
    c->info.productName = productName;
    c->info.forceFeedback = forceFeedback;
    for (uint32_t& pov : c->state.rgdwPOV) pov = POV_CENTERED;
    controllers_.push_back(std::move(c));
    return controllers_.size() - 1;
}

void FakeControllers::SetState(size_t controller, const TDIJoyState& state) {
    controllers_.at(controller)->state = state;
}
void FakeControllers::Unplug(size_t controller) {
    controllers_.at(controller)->attached = false;
}
void FakeControllers::FailOpen(size_t controller) {
    controllers_.at(controller)->failOpen = true;
}
int FakeControllers::Polls(size_t controller) const {
    return controllers_.at(controller)->polls;
}

std::vector<TControllerInfo> FakeControllers::Attached() {
    ++listings_;
    std::vector<TControllerInfo> list;
    for (const auto& c : controllers_)
        if (c->attached) list.push_back(c->info);
    return list;
}

std::unique_ptr<IControllerReader> FakeControllers::Open(uint32_t instance) {
    for (const auto& c : controllers_)
        if (c->info.instance == instance && c->attached && !c->failOpen)
            return std::make_unique<FakeReader>(c);
    return nullptr;
}
