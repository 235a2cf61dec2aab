#pragma once
// The software view's last step to the window: the damaged part of a finished frame
// scaled into the window's image at a placement (FramePlacement.h). A whole factor n
// writes each frame pixel n times along its first window row and copies that row n - 1
// times below; a filtered placement redraws the damaged area and a pixel around it
// bilinearly (each window pixel blends the four frame pixels around its centre). Only
// the window pixels the damage reaches are written.
#include "graphics/device/FramePlacement.h"
#include "graphics/device/SoftwareDevice.h"

#include <cstdint>

// The window's image: Width x Height pixels, rows Pitch pixels apart.
struct TScaleTarget {
    uint32_t* Pixels = nullptr;
    uint32_t Width = 0, Height = 0, Pitch = 0;
};

// Scales frame.Damage (held to the frame) into target; answers the window rectangle written
// (empty when nothing was, or the placement does not lie inside the target).
TRect ScaleFrameDamage(const TSoftwareFrame& frame, const TFramePlacement& placement,
                       const TScaleTarget& target);

// Fills the target outside the picture with colour.
void FillBorder(const TFramePlacement& placement, const TScaleTarget& target, uint32_t colour);
