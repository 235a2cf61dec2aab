#include "app/GlProbe.h"

#include "app/GameView.h"

#include <QOffscreenSurface>
#include <QOpenGLFunctions>
#include <QThread>

namespace {

// The present's copy (a frame-buffer object to the surface's own buffer) made once, to
// a surface of the window's format.
void CopyOnce(QOpenGLContext& context, QSize size) {
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
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

} // namespace

GlProbe::GlProbe(QSize frameSize) : answer_(promise_.get_future().share()) {
    QThread* owner = QThread::currentThread();
    // A platform that draws with OpenGL on the window's thread only is probed there, and
    // its first copy is left to the first frame.
    if (!QOpenGLContext::supportsThreadedOpenGL()) {
        Run(owner, QSize());
        return;
    }
    thread_ = std::thread([this, owner, frameSize] { Run(owner, frameSize); });
}

GlProbe::~GlProbe() {
    if (thread_.joinable()) thread_.join();
}

void GlProbe::Run(QThread* owner, QSize frameSize) {
    Answer answer;
    std::unique_ptr<QOpenGLContext> context;
    answer.Usable = ProbeOpenGL(answer.MaxTextureSize, answer.Reason, &context, &answer.ContextMade);
    promise_.set_value(answer);
    if (!context) return;
    if (!frameSize.isEmpty()) CopyOnce(*context, frameSize);
    // The window's thread uses it from now on (its share group goes with it).
    context->moveToThread(owner);
    if (QOpenGLContextGroup* group = context->shareGroup()) group->moveToThread(owner);
    context_ = std::move(context);
}

bool GlProbe::Wait(uint32_t& maxTextureSize, QString& reason) {
    const Answer& answer = answer_.get();
    if (answer.Usable || !answer.ContextMade) {
        maxTextureSize = answer.MaxTextureSize;
        reason = answer.Reason;
        return answer.Usable;
    }
    // A platform may make no surface away from the window's thread (an offscreen surface
    // that is a hidden window): the probe is made again here.
    if (thread_.joinable()) thread_.join();
    std::unique_ptr<QOpenGLContext> context;
    if (!ProbeOpenGL(maxTextureSize, reason, &context)) return false;
    context_ = std::move(context);
    return true;
}

std::unique_ptr<QOpenGLContext> GlProbe::TakeContext() {
    if (thread_.joinable()) thread_.join();
    return std::move(context_);
}
