#include "app/GameView.h"

#include "app/BenchHooks.h"

#include <QOffscreenSurface>
#include <QOpenGLFunctions>
#include <QPainter>

namespace {

QSurfaceFormat CoreFormat() {
    QSurfaceFormat f;
    f.setVersion(3, 3);
    f.setProfile(QSurfaceFormat::CoreProfile);
    f.setDepthBufferSize(0);
    f.setStencilBufferSize(0);
    f.setSwapInterval(0);
    return f;
}

} // namespace

bool ProbeOpenGL(uint32_t& maxTextureSize, QString& reason) {
    QOpenGLContext context;
    context.setFormat(CoreFormat());
    if (!context.create()) {
        reason = QStringLiteral("no OpenGL context can be made on this display");
        return false;
    }
    const QSurfaceFormat got = context.format();
    if (got.version() < qMakePair(3, 3)) {
        reason = QStringLiteral("OpenGL %1.%2 is below 3.3").arg(got.majorVersion()).arg(got.minorVersion());
        return false;
    }
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!context.makeCurrent(&surface)) {
        reason = QStringLiteral("the OpenGL context cannot be made current");
        return false;
    }
    GLint size = 0;
    context.functions()->glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
    context.doneCurrent();
    maxTextureSize = size > 0 ? static_cast<uint32_t>(size) : 2048u;
    return true;
}

GlSurface::GlSurface(uint32_t maxTextureSize) : config_(std::make_shared<TGLConfig>()) {
    setSurfaceType(QSurface::OpenGLSurface);
    setFormat(CoreFormat());
    setFlags(flags() | Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus);
    config_->MaxTextureSize = maxTextureSize;
    TGLContextHooks& h = config_->Hooks;
    h.MakeCurrent = [this] { return MakeCurrent(); };
    h.DoneCurrent = [this] { context_.doneCurrent(); };
    h.DefaultFramebuffer = [this] { return frame_ ? static_cast<uint32_t>(frame_->handle()) : 0u; };
    h.FramebufferSize = [this](uint32_t& w, uint32_t& hh) {
        const QSize size = FramebufferSize();
        w = static_cast<uint32_t>(size.width());
        hh = static_cast<uint32_t>(size.height());
    };
    h.FrameReady = [this] {
        ShowFrame();
        BenchFramePresented();
    };
}

// The frame's GL objects go while the window and its context are still there (without
// the context current, Qt frees them with the context).
GlSurface::~GlSurface() {
    const bool current = frame_ && context_.makeCurrent(this);
    frame_.reset();
    if (current) context_.doneCurrent();
}

QSize GlSurface::FramebufferSize() const {
    const qreal dpr = devicePixelRatio();
    return QSize(static_cast<int>(width() * dpr + 0.5), static_cast<int>(height() * dpr + 0.5));
}

// The context and the frame's framebuffer are made with the first frame; a window not
// on the screen (not yet shown, minimised) takes no frame.
bool GlSurface::MakeCurrent() {
    if (!isExposed()) return false;
    if (!context_.isValid()) {
        context_.setFormat(requestedFormat());
        if (!context_.create()) return false;
    }
    if (!context_.makeCurrent(this)) return false;
    const QSize size = FramebufferSize();
    if (!frame_ || frame_->size() != size) {
        frame_ = std::make_unique<QOpenGLFramebufferObject>(size);
        if (!frame_->isValid()) {
            frame_.reset();
            context_.doneCurrent();
            return false;
        }
    }
    return true;
}

void GlSurface::ShowFrame() {
    if (!frame_ || !isExposed() || !context_.makeCurrent(this)) return;
    QOpenGLFramebufferObject::blitFramebuffer(nullptr, frame_.get());
    context_.swapBuffers(this);
    context_.doneCurrent();
}

void GlSurface::exposeEvent(QExposeEvent*) {
    if (isExposed()) ShowFrame();
}

std::shared_ptr<IRenderDriver> GlSurface::CreateDriver() {
    return std::make_shared<OpenGLDriver>(config_);
}

GlView::GlView(QWidget* parent, uint32_t maxTextureSize)
    : QWidget(parent), surface_(new GlSurface(maxTextureSize)),
      container_(QWidget::createWindowContainer(surface_, this)) {
    // The view keeps the focus: keys are read where they arrive, never in the surface.
    container_->setFocusPolicy(Qt::NoFocus);
}

void GlView::Overlay(QWidget* child) {
    child->setAttribute(Qt::WA_NativeWindow);
    child->raise();
}

void GlView::resizeEvent(QResizeEvent*) {
    container_->setGeometry(rect());
}

SoftwareView::SoftwareView(QWidget* parent) : QWidget(parent), config_(std::make_shared<TSoftwareConfig>()) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    config_->PresentSink = [this](const TSoftwareFrame& f) {
        QImage image(reinterpret_cast<const uchar*>(f.Pixels), static_cast<int>(f.Width),
                     static_cast<int>(f.Height), static_cast<qsizetype>(f.Pitch) * 4, QImage::Format_RGB32);
        frame_ = image.copy();
        repaint(); // at once, inside the tick, as the OpenGL view does
        BenchFramePresented();
    };
}

std::shared_ptr<IRenderDriver> SoftwareView::CreateDriver() {
    return std::make_shared<SoftwareDriver>(config_);
}

void SoftwareView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (frame_.isNull())
        p.fillRect(rect(), Qt::black);
    else
        p.drawImage(rect(), frame_);
}

TRect WindowOwner::WindowBounds() const {
    const QWidget* w = view_->window();
    const QRect r = w->frameGeometry();
    return Rect(r.left(), r.top(), r.left() + r.width(), r.top() + r.height());
}
