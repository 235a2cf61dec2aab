#include "app/GameView.h"

#include "app/BenchHooks.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>
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

GlView::GlView(QWidget* parent, uint32_t maxTextureSize)
    : QOpenGLWidget(parent), config_(std::make_shared<TGLConfig>()) {
    setFormat(CoreFormat());
    // The device draws into the widget's framebuffer at each present; a repaint only
    // shows what is there.
    setUpdateBehavior(QOpenGLWidget::PartialUpdate);
    config_->MaxTextureSize = maxTextureSize;
    TGLContextHooks& h = config_->Hooks;
    h.MakeCurrent = [this] {
        if (!initialized_ || !context() || !context()->isValid()) return false;
        makeCurrent();
        return QOpenGLContext::currentContext() == context();
    };
    h.DoneCurrent = [this] { doneCurrent(); };
    h.DefaultFramebuffer = [this] { return static_cast<uint32_t>(defaultFramebufferObject()); };
    h.FramebufferSize = [this](uint32_t& w, uint32_t& hh) {
        const qreal dpr = devicePixelRatioF();
        w = static_cast<uint32_t>(width() * dpr + 0.5);
        hh = static_cast<uint32_t>(height() * dpr + 0.5);
    };
    h.FrameReady = [this] {
        update();
        BenchFramePresented();
    };
}

std::shared_ptr<IRenderDriver> GlView::CreateDriver() {
    return std::make_shared<OpenGLDriver>(config_);
}

void GlView::initializeGL() {
    initialized_ = true;
    QOpenGLFunctions* f = context()->functions();
    f->glClearColor(0, 0, 0, 1);
    f->glClear(GL_COLOR_BUFFER_BIT);
}

// The last presented frame stays in the framebuffer (partial updates).
void GlView::paintGL() {}

SoftwareView::SoftwareView(QWidget* parent) : QWidget(parent), config_(std::make_shared<TSoftwareConfig>()) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    config_->PresentSink = [this](const TSoftwareFrame& f) {
        QImage image(reinterpret_cast<const uchar*>(f.Pixels), static_cast<int>(f.Width),
                     static_cast<int>(f.Height), static_cast<qsizetype>(f.Pitch) * 4, QImage::Format_RGB32);
        frame_ = image.copy();
        update();
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
