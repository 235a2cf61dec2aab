#include "sound/Volume.h"

#include <algorithm>

float VolumeGain(int percent) {
    const float share = static_cast<float>(std::clamp(percent, 0, 100)) / 100.0f;
    return share * share;
}
