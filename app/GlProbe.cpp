#include "app/GlProbe.h"

#include "app/GameView.h"

GlProbe::GlProbe() {
    usable_ = ProbeOpenGL(maxTextureSize_, reason_, &context_);
}

bool GlProbe::Usable(uint32_t& maxTextureSize, QString& reason) const {
    maxTextureSize = maxTextureSize_;
    reason = reason_;
    return usable_;
}

std::unique_ptr<QOpenGLContext> GlProbe::TakeContext() {
    return std::move(context_);
}
