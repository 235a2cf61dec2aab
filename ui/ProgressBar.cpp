#include "ui/ProgressBar.h"

#include <algorithm>

void TProgressBar::SetPosition(int32_t value) {
    position_ = std::clamp(value, 0, max_);
}
