#include "app/GlProbe.h"

#include "app/GameView.h"

#include <QOpenGLFunctions>

namespace {

// The present's copy (a frame-buffer object to the surface's own buffer) made once.
void CopyOnce(QOpenGLContext& context, QOffscreenSurface& surface, QSize size) {
    if (!context.makeCurrent(&surface)) return;
    GlKeptFrame frame;
    if (CreateKeptFrame(context, size, frame)) {
        QOpenGLFunctions* gl = context.functions();
        gl->glBindFramebuffer(GL_FRAMEBUFFER, frame.buffer);
        gl->glClearColor(0, 0, 0, 1);
        gl->glClear(GL_COLOR_BUFFER_BIT);
        CopyKeptFrame(context, frame);
        gl->glFinish();
        DeleteKeptFrame(context, frame);
    }
    context.doneCurrent();
}

// The context and its share group belong to `to` from now on; called on the thread they
// belong to now.
void MoveContext(QOpenGLContext& context, QThread* to) {
    context.moveToThread(to);
    if (QOpenGLContextGroup* group = context.shareGroup()) group->moveToThread(to);
}

} // namespace

GlProbe::GlProbe(QSize frameSize) {
    usable_ = ProbeOpenGL(maxTextureSize_, reason_, &context_);
    // A platform that draws with OpenGL on the window's thread only leaves the first copy
    // to the first frame.
    if (!usable_ || frameSize.isEmpty() || !QOpenGLContext::supportsThreadedOpenGL()) return;
    surface_ = std::make_unique<QOffscreenSurface>();
    surface_->setFormat(context_->format());
    surface_->create();
    if (!surface_->isValid()) {
        surface_.reset();
        return;
    }
    QThread* owner = QThread::currentThread();
    copy_.reset(QThread::create([this, owner, frameSize] {
        CopyOnce(*context_, *surface_, frameSize);
        MoveContext(*context_, owner);
    }));
    MoveContext(*context_, copy_.get());
    copy_->start();
}

GlProbe::~GlProbe() {
    EndCopy();
}

void GlProbe::EndCopy() {
    if (copy_) {
        copy_->wait();
        copy_.reset();
    }
    surface_.reset();
}

bool GlProbe::Usable(uint32_t& maxTextureSize, QString& reason) const {
    maxTextureSize = maxTextureSize_;
    reason = reason_;
    return usable_;
}

std::unique_ptr<QOpenGLContext> GlProbe::TakeContext() {
    EndCopy();
    return std::move(context_);
}
