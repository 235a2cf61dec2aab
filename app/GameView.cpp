#include "app/GameView.h"

#include "app/BenchHooks.h"

#include <QMouseEvent>
#include <QOffscreenSurface>
#include <QOpenGLExtraFunctions>
#include <QOpenGLFunctions>
#include <QPaintEvent>
#include <QPainter>

#include <cstring>

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

// The input layer's numbering: left, right, middle, then the extra buttons.
int MouseButtonIndex(Qt::MouseButton b) {
    switch (b) {
    case Qt::LeftButton:
        return 0;
    case Qt::RightButton:
        return 1;
    case Qt::MiddleButton:
        return 2;
    case Qt::BackButton:
        return 3;
    case Qt::ForwardButton:
        return 4;
    case Qt::ExtraButton3:
        return 5;
    case Qt::ExtraButton4:
        return 6;
    case Qt::ExtraButton5:
        return 7;
    default:
        return -1;
    }
}

// Watches the view and every widget on it. An event is taken where it arrives: one over
// a child (the life bar, the OpenGL surface's container) is not passed on to the view,
// which would count it twice; moves with no button down reach only widgets that track
// the mouse, so all of them do.
class MouseFeed : public QObject {
public:
    MouseFeed(QWidget* view, MouseDevice& mouse) : QObject(view), view_(view), mouse_(mouse) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseMove: {
            const QPoint at = static_cast<QWidget*>(watched)->mapTo(
                view_, static_cast<QMouseEvent*>(event)->position().toPoint());
            mouse_.MovedTo(at.x(), at.y());
            break;
        }
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            mouse_.ButtonDown(MouseButtonIndex(static_cast<QMouseEvent*>(event)->button()));
            break;
        case QEvent::MouseButtonRelease:
            mouse_.ButtonUp(MouseButtonIndex(static_cast<QMouseEvent*>(event)->button()));
            break;
        case QEvent::Wheel:
            mouse_.Wheel(static_cast<QWheelEvent*>(event)->angleDelta().y());
            break;
        default:
            return QObject::eventFilter(watched, event);
        }
        return watched != view_;
    }

private:
    QWidget* view_;
    MouseDevice& mouse_;
};

} // namespace

QObject* FeedMouseFrom(QWidget* view, MouseDevice& mouse) {
    auto* feed = new MouseFeed(view, mouse);
    QList<QWidget*> widgets = view->findChildren<QWidget*>();
    widgets.prepend(view);
    for (QWidget* w : widgets) {
        w->setMouseTracking(true);
        w->installEventFilter(feed);
    }
    return feed;
}

bool ProbeOpenGL(uint32_t& maxTextureSize, QString& reason, std::unique_ptr<QOpenGLContext>* keep) {
    auto made = std::make_unique<QOpenGLContext>();
    QOpenGLContext& context = *made;
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
    if (keep) *keep = std::move(made);
    return true;
}

GlSurface::GlSurface(uint32_t maxTextureSize, GlContextSource context)
    : source_(std::move(context)), config_(std::make_shared<TGLConfig>()) {
    setSurfaceType(QSurface::OpenGLSurface);
    setFormat(CoreFormat());
    setFlags(flags() | Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus);
    config_->MaxTextureSize = maxTextureSize;
    TGLContextHooks& h = config_->Hooks;
    h.MakeCurrent = [this] { return MakeCurrent(); };
    h.DoneCurrent = [this] {
        if (context_) context_->doneCurrent();
    };
    h.DefaultFramebuffer = [this] { return frame_.buffer; };
    h.FramebufferSize = [this](uint32_t& w, uint32_t& hh) {
        const QSize size = FramebufferSize();
        w = static_cast<uint32_t>(size.width());
        hh = static_cast<uint32_t>(size.height());
    };
    h.FrameReady = [this] {
        ShowFrame();
        BenchFramePresented();
        if (presented_) presented_();
    };
}

// The frame's GL objects go while the window and its context are still there (without
// the context current, they go with the context).
GlSurface::~GlSurface() {
    if (frame_.buffer == 0 || !context_->makeCurrent(this)) return;
    DeleteKeptFrame(*context_, frame_);
    context_->doneCurrent();
}

void DeleteKeptFrame(QOpenGLContext& context, GlKeptFrame& frame) {
    QOpenGLExtraFunctions* f = context.extraFunctions();
    f->glDeleteFramebuffers(1, &frame.buffer);
    f->glDeleteTextures(1, &frame.texture);
    frame = GlKeptFrame{};
}

// The kept frame's pixels are stored as B, G, R, A bytes (an unsized format given in that
// order), the order of the window's own buffer and of the textures on Mesa: a software
// driver such as llvmpipe then draws, samples and copies in one format, with no swizzle
// between the kept frame and the window.
bool CreateKeptFrame(QOpenGLContext& context, QSize size, GlKeptFrame& frame) {
    QOpenGLExtraFunctions* f = context.extraFunctions();
    f->glGenTextures(1, &frame.texture);
    f->glBindTexture(GL_TEXTURE_2D, frame.texture);
    f->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    f->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    f->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    f->glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, size.width(), size.height(), 0, GL_BGRA,
                    GL_UNSIGNED_INT_8_8_8_8_REV, nullptr);
    f->glBindTexture(GL_TEXTURE_2D, 0);
    f->glGenFramebuffers(1, &frame.buffer);
    f->glBindFramebuffer(GL_FRAMEBUFFER, frame.buffer);
    f->glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, frame.texture, 0);
    const bool complete = f->glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    f->glBindFramebuffer(GL_FRAMEBUFFER, context.defaultFramebufferObject());
    frame.size = size;
    if (!complete) DeleteKeptFrame(context, frame);
    return complete;
}

void CopyKeptFrame(QOpenGLContext& context, const GlKeptFrame& frame) {
    QOpenGLExtraFunctions* f = context.extraFunctions();
    f->glBindFramebuffer(GL_READ_FRAMEBUFFER, frame.buffer);
    f->glBindFramebuffer(GL_DRAW_FRAMEBUFFER, context.defaultFramebufferObject());
    const int w = frame.size.width(), h = frame.size.height();
    f->glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
}

QSize GlSurface::FramebufferSize() const {
    const qreal dpr = devicePixelRatio();
    return QSize(static_cast<int>(width() * dpr + 0.5), static_cast<int>(height() * dpr + 0.5));
}

// The context and the frame's framebuffer are made with the first frame; a window not
// on the screen (not yet shown, minimised) takes no frame.
bool GlSurface::MakeCurrent() {
    if (!isExposed()) return false;
    if (!context_) {
        if (source_) context_ = source_();
        source_ = nullptr;
        if (!context_) context_ = std::make_unique<QOpenGLContext>();
    }
    if (!context_->isValid()) {
        context_->setFormat(requestedFormat());
        if (!context_->create()) return false;
    }
    if (!context_->makeCurrent(this)) return false;
    const QSize size = FramebufferSize();
    if (frame_.buffer == 0 || frame_.size != size) {
        if (frame_.buffer != 0) DeleteKeptFrame(*context_, frame_);
        if (!CreateKeptFrame(*context_, size, frame_)) {
            context_->doneCurrent();
            return false;
        }
    }
    return true;
}

void GlSurface::ShowFrame() {
    if (frame_.buffer == 0 || !isExposed() || !context_->makeCurrent(this)) return;
    CopyKeptFrame(*context_, frame_);
    context_->swapBuffers(this);
    context_->doneCurrent();
}

void GlSurface::exposeEvent(QExposeEvent*) {
    if (isExposed()) ShowFrame();
}

std::shared_ptr<IRenderDriver> GlSurface::CreateDriver() {
    return std::make_shared<OpenGLDriver>(config_);
}

GlView::GlView(QWidget* parent, uint32_t maxTextureSize, GlContextSource context)
    : QWidget(parent), surface_(new GlSurface(maxTextureSize, std::move(context))),
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
        const QSize size(static_cast<int>(f.Width), static_cast<int>(f.Height));
        QRect damage = QRect(f.Damage.Left, f.Damage.Top, f.Damage.Width(), f.Damage.Height()) &
                       QRect(QPoint(0, 0), size);
        // The frame is kept from one present to the next: only what changed is copied.
        if (frame_.size() != size) {
            frame_ = QImage(size, QImage::Format_RGB32);
            damage = frame_.rect();
        }
        for (int y = damage.top(); y <= damage.bottom(); ++y)
            std::memcpy(frame_.scanLine(y) + static_cast<qsizetype>(damage.left()) * 4,
                        f.Pixels + static_cast<size_t>(y) * f.Pitch + static_cast<size_t>(damage.left()),
                        static_cast<size_t>(damage.width()) * 4);
        // At once, inside the tick, as the OpenGL view does; a frame shown unscaled repaints
        // only its changed part.
        if (size == this->size())
            repaint(damage);
        else
            repaint();
        BenchFramePresented();
        if (presented_) presented_();
    };
}

std::shared_ptr<IRenderDriver> SoftwareView::CreateDriver() {
    return std::make_shared<SoftwareDriver>(config_);
}

void SoftwareView::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    if (frame_.isNull())
        p.fillRect(rect(), Qt::black);
    else if (frame_.size() == size())
        p.drawImage(event->rect(), frame_, event->rect());
    else
        p.drawImage(rect(), frame_);
}

TRect WindowOwner::WindowBounds() const {
    const QWidget* w = view_->window();
    const QRect r = w->frameGeometry();
    return Rect(r.left(), r.top(), r.left() + r.width(), r.top() + r.height());
}
