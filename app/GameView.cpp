#include "app/GameView.h"

#include "app/BenchHooks.h"
#include "graphics/device/FrameScaler.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QOffscreenSurface>
#include <QOpenGLExtraFunctions>
#include <QOpenGLFunctions>
#include <QPaintEvent>
#include <QPainter>
#include <QtGui/qguiapplication_platform.h>
#include <QtGui/qopenglcontext_platform.h>

#include <algorithm>
#include <cmath>
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
    MouseFeed(QWidget* view, MouseDevice& mouse, std::function<QPoint(QPointF)> toFrame)
        : QObject(view), view_(view), mouse_(mouse), toFrame_(std::move(toFrame)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseMove: {
            const QPointF in =
                static_cast<QWidget*>(watched)->mapTo(view_, static_cast<QMouseEvent*>(event)->position());
            const QPoint at = toFrame_ ? toFrame_(in) : in.toPoint();
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
    std::function<QPoint(QPointF)> toFrame_;
};

} // namespace

TFramePlacement PlaceInView(QSize frameSize, QSize viewSize, qreal ratio, TScaleMode mode) {
    return PlaceFrame(static_cast<uint32_t>(frameSize.width()), static_cast<uint32_t>(frameSize.height()),
                      DevicePixels(viewSize.width(), ratio), DevicePixels(viewSize.height(), ratio), mode);
}

QRect FrameRectInView(const TFramePlacement& p, const QRect& r, qreal ratio) {
    int32_t l = r.left(), t = r.top(), rr = r.left() + r.width(), b = r.top() + r.height();
    FrameToWindow(p, l, t, rr, b);
    const auto down = [ratio](int32_t v) { return static_cast<int>(std::floor(v / ratio + 1e-6)); };
    const auto up = [ratio](int32_t v) { return static_cast<int>(std::ceil(v / ratio - 1e-6)); };
    return QRect(QPoint(down(l), down(t)), QPoint(up(rr) - 1, up(b) - 1));
}

QPoint ViewPointInFrame(const TFramePlacement& p, QPointF at, qreal ratio) {
    int32_t x = 0, y = 0;
    WindowToFrame(p, at.x() * ratio, at.y() * ratio, x, y);
    return QPoint(x, y);
}

QObject* FeedMouseFrom(QWidget* view, MouseDevice& mouse, std::function<QPoint(QPointF)> toFrame) {
    auto* feed = new MouseFeed(view, mouse, std::move(toFrame));
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

GlSurface::GlSurface(uint32_t maxTextureSize, GlContextSource context, QSize frameSize)
    : frameSize_(frameSize), source_(std::move(context)), config_(std::make_shared<TGLConfig>()) {
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
        w = static_cast<uint32_t>(frameSize_.width());
        hh = static_cast<uint32_t>(frameSize_.height());
    };
    h.FrameReady = [this](const TRect& damage) {
        ShowFrame(&damage);
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

namespace {

// The target's parts outside the picture (rows counted from the top) in the border colour.
void ClearBorder(QOpenGLExtraFunctions& f, const TFramePlacement& p, QSize target) {
    const int w = target.width(), h = target.height();
    const QRect parts[4] = {QRect(0, 0, w, p.Y), QRect(0, p.Y + p.Height, w, h - p.Y - p.Height),
                            QRect(0, p.Y, p.X, p.Height),
                            QRect(p.X + p.Width, p.Y, w - p.X - p.Width, p.Height)};
    f.glClearColor(((BorderColour >> 16) & 0xFF) / 255.0f, ((BorderColour >> 8) & 0xFF) / 255.0f,
                   (BorderColour & 0xFF) / 255.0f, 1.0f);
    f.glEnable(GL_SCISSOR_TEST);
    for (const QRect& r : parts) {
        if (r.width() <= 0 || r.height() <= 0) continue;
        f.glScissor(r.x(), h - r.y() - r.height(), r.width(), r.height());
        f.glClear(GL_COLOR_BUFFER_BIT);
    }
    f.glDisable(GL_SCISSOR_TEST);
}

} // namespace

void CopyKeptFrame(QOpenGLContext& context, const GlKeptFrame& frame, const TFramePlacement* placement,
                   QSize target, const QRect* part) {
    QOpenGLExtraFunctions* f = context.extraFunctions();
    f->glBindFramebuffer(GL_READ_FRAMEBUFFER, frame.buffer);
    f->glBindFramebuffer(GL_DRAW_FRAMEBUFFER, context.defaultFramebufferObject());
    const int w = frame.size.width(), h = frame.size.height();
    // The target's rows count from the bottom. A part is scissored: the blit samples as it
    // would for the whole picture.
    const int height = placement ? target.height() : h;
    if (part) {
        f->glEnable(GL_SCISSOR_TEST);
        f->glScissor(part->x(), height - part->y() - part->height(), part->width(), part->height());
    }
    if (!placement) {
        f->glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    } else {
        const TFramePlacement& p = *placement;
        if (!part) ClearBorder(*f, p, target);
        const int bottom = height - p.Y - p.Height;
        f->glBlitFramebuffer(0, 0, w, h, p.X, bottom, p.X + p.Width, bottom + p.Height, GL_COLOR_BUFFER_BIT,
                             p.Factor == 0 ? GL_LINEAR : GL_NEAREST);
    }
    if (part) f->glDisable(GL_SCISSOR_TEST);
}

QRect WindowPartOfFrameRect(const TFramePlacement& p, const TRect& r, QSize window) {
    const int32_t grow = p.Factor == 0 ? 1 : 0;
    int32_t left = std::max(r.Left - grow, 0), top = std::max(r.Top - grow, 0);
    int32_t right = std::min(r.Right + grow, static_cast<int32_t>(p.FrameWidth));
    int32_t bottom = std::min(r.Bottom + grow, static_cast<int32_t>(p.FrameHeight));
    if (left >= right || top >= bottom) return QRect();
    FrameToWindow(p, left, top, right, bottom);
    return QRect(left, top, right - left, bottom - top) & QRect(QPoint(0, 0), window);
}

namespace {

bool HasExtension(const char* list, const char* name) {
    const size_t length = std::strlen(name);
    for (const char* at = std::strstr(list, name); at; at = std::strstr(at + length, name))
        if ((at == list || at[-1] == ' ') && (at[length] == ' ' || at[length] == 0)) return true;
    return false;
}

} // namespace

bool GlPartCopy::Find(QOpenGLContext& context, QWindow& window) {
    copy_ = nullptr;
#if QT_CONFIG(xcb_glx_plugin)
    const auto* glx = context.nativeInterface<QNativeInterface::QGLXContext>();
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!glx || !x11 || !x11->display()) return false;
    using QueryContext = int (*)(void* display, void* context, int attribute, int* value);
    using QueryExtensions = const char* (*)(void* display, int screen);
    const auto query = reinterpret_cast<QueryContext>(context.getProcAddress("glXQueryContext"));
    const auto extensions =
        reinterpret_cast<QueryExtensions>(context.getProcAddress("glXQueryExtensionsString"));
    const auto copy = reinterpret_cast<CopyFunction>(context.getProcAddress("glXCopySubBufferMESA"));
    if (!query || !extensions || !copy) return false;
    constexpr int GlxScreen = 0x800C; // GLX_SCREEN
    int screen = 0;
    void* display = x11->display();
    if (query(display, glx->nativeContext(), GlxScreen, &screen) != 0) return false;
    const char* list = extensions(display, screen);
    if (!list || !HasExtension(list, "GLX_MESA_copy_sub_buffer")) return false;
    display_ = display;
    drawable_ = static_cast<unsigned long>(window.winId());
    copy_ = copy;
    return true;
#else
    (void)context;
    (void)window;
    return false;
#endif
}

void GlPartCopy::Copy(int x, int y, int width, int height) const {
    if (copy_) copy_(display_, drawable_, x, y, width, height);
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
    const QSize size = frameSize_;
    if (frame_.buffer == 0 || frame_.size != size) {
        if (frame_.buffer != 0) DeleteKeptFrame(*context_, frame_);
        if (!CreateKeptFrame(*context_, size, frame_)) {
            context_->doneCurrent();
            return false;
        }
    }
    return true;
}

// A software rasteriser fills every pixel it is given and a swap sends the whole window:
// at 4K that is most of a tick's cost. A frame that changed in part, shown over its last
// frame at the same placement, writes and sends only the window pixels it reaches.
void GlSurface::ShowFrame(const TRect* damage) {
    if (frame_.buffer == 0 || !isExposed() || !context_->makeCurrent(this)) return;
    if (!partCopyProbed_) {
        partCopyProbed_ = true;
        partCopy_.Find(*context_, *this);
    }
    const qreal ratio = devicePixelRatio();
    const TFramePlacement p = PlaceInView(frameSize_, size(), ratio, mode_);
    const QSize target(static_cast<int>(DevicePixels(width(), ratio)),
                       static_cast<int>(DevicePixels(height(), ratio)));
    const bool inPart = damage && partCopy_.Found() && p == shownPlacement_ && target == shownTarget_;
    const QRect part = inPart ? WindowPartOfFrameRect(p, *damage, target) : QRect(QPoint(0, 0), target);
    if (part.isEmpty()) {
        context_->doneCurrent();
        return;
    }
    const QRect* only = inPart ? &part : nullptr;
    // The driver takes a new window size at a swap, not at a part copy: a swap first (of
    // what the window showed) lets the whole picture below be drawn at the new size.
    if (partCopy_.Found() && target != shownTarget_) context_->swapBuffers(this);
    if (target == frameSize_ && p.Factor == 1)
        CopyKeptFrame(*context_, frame_, nullptr, {}, only); // the frame's own size: the plain copy
    else
        CopyKeptFrame(*context_, frame_, &p, target, only);
    if (partCopy_.Found()) {
        partCopy_.Copy(part.x(), target.height() - part.y() - part.height(), part.width(), part.height());
        shownPlacement_ = p;
        shownTarget_ = target;
    } else {
        context_->swapBuffers(this);
    }
    context_->doneCurrent();
}

void GlSurface::SetScaleMode(TScaleMode mode) {
    mode_ = mode;
    ShowFrame();
}

void GlSurface::exposeEvent(QExposeEvent*) {
    if (isExposed()) ShowFrame();
}

// The kept frame keeps its size: the copy places it in the new one.
void GlSurface::resizeEvent(QResizeEvent*) {
    ShowFrame();
}

std::shared_ptr<IRenderDriver> GlSurface::CreateDriver() {
    return std::make_shared<OpenGLDriver>(config_);
}

GlView::GlView(QWidget* parent, uint32_t maxTextureSize, QSize frameSize, GlContextSource context)
    : GameViewBase(parent, frameSize), surface_(new GlSurface(maxTextureSize, std::move(context), frameSize)),
      container_(QWidget::createWindowContainer(surface_, this)) {
    // The view keeps the focus: keys are read where they arrive, never in the surface.
    container_->setFocusPolicy(Qt::NoFocus);
}

void GlView::Overlay(QWidget* child) {
    child->setAttribute(Qt::WA_NativeWindow);
    child->raise();
}

void GlView::SetScaleMode(TScaleMode mode) {
    mode_ = mode;
    surface_->SetScaleMode(mode);
}

void GlView::resizeEvent(QResizeEvent*) {
    container_->setGeometry(rect());
}

SoftwareView::SoftwareView(QWidget* parent, QSize frameSize)
    : GameViewBase(parent, frameSize), config_(std::make_shared<TSoftwareConfig>()) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    config_->PresentSink = [this](const TSoftwareFrame& f) { Present(f); };
}

void SoftwareView::Present(const TSoftwareFrame& f) {
    const QSize size(static_cast<int>(f.Width), static_cast<int>(f.Height));
    QRect damage =
        QRect(f.Damage.Left, f.Damage.Top, f.Damage.Width(), f.Damage.Height()) & QRect(QPoint(0, 0), size);
    // The frame is kept from one present to the next: only what changed is copied.
    const bool newSize = frame_.size() != size;
    if (newSize) {
        frame_ = QImage(size, QImage::Format_RGB32);
        damage = frame_.rect();
    }
    for (int y = damage.top(); y <= damage.bottom(); ++y)
        std::memcpy(frame_.scanLine(y) + static_cast<qsizetype>(damage.left()) * 4,
                    f.Pixels + static_cast<size_t>(y) * f.Pitch + static_cast<size_t>(damage.left()),
                    static_cast<size_t>(damage.width()) * 4);
    // At once, inside the tick, as the OpenGL view does; only the changed part.
    if (Unscaled()) {
        repaint(damage);
    } else if (newSize || ratio_ != devicePixelRatioF() || scaled_.isNull()) {
        Rescale();
        repaint();
    } else if (const QRect part = ScalePart(damage); !part.isEmpty()) {
        repaint(part);
    }
    BenchFramePresented();
    if (presented_) presented_();
}

bool SoftwareView::Unscaled() const {
    return frame_.size() == size() && devicePixelRatioF() == 1.0;
}

void SoftwareView::Rescale() {
    ratio_ = devicePixelRatioF();
    placement_ = PlaceInView(frame_.isNull() ? frameSize_ : frame_.size(), size(), ratio_, mode_);
    const QSize target(static_cast<int>(DevicePixels(width(), ratio_)),
                       static_cast<int>(DevicePixels(height(), ratio_)));
    if (target.isEmpty()) {
        scaled_ = QImage();
        return;
    }
    scaled_ = QImage(target, QImage::Format_RGB32);
    scaled_.setDevicePixelRatio(ratio_);
    const TScaleTarget t{reinterpret_cast<uint32_t*>(scaled_.bits()), static_cast<uint32_t>(target.width()),
                         static_cast<uint32_t>(target.height()),
                         static_cast<uint32_t>(scaled_.bytesPerLine() / 4)};
    if (frame_.isNull()) {
        scaled_.fill(Qt::black);
        return;
    }
    FillBorder(placement_, t, BorderColour);
    ScalePart(frame_.rect());
}

QRect SoftwareView::ScalePart(const QRect& part) {
    if (scaled_.isNull() || frame_.isNull()) return QRect();
    TSoftwareFrame f{static_cast<uint32_t>(frame_.width()), static_cast<uint32_t>(frame_.height()),
                     static_cast<uint32_t>(frame_.bytesPerLine() / 4),
                     reinterpret_cast<const uint32_t*>(frame_.constBits())};
    f.Damage = Rect(part.left(), part.top(), part.left() + part.width(), part.top() + part.height());
    const TScaleTarget t{reinterpret_cast<uint32_t*>(scaled_.bits()), static_cast<uint32_t>(scaled_.width()),
                         static_cast<uint32_t>(scaled_.height()),
                         static_cast<uint32_t>(scaled_.bytesPerLine() / 4)};
    const TRect r = ScaleFrameDamage(f, placement_, t);
    if (r.Left >= r.Right || r.Top >= r.Bottom) return QRect();
    const auto down = [this](int32_t v) { return static_cast<int>(std::floor(v / ratio_)); };
    const auto up = [this](int32_t v) { return static_cast<int>(std::ceil(v / ratio_)); };
    return QRect(QPoint(down(r.Left), down(r.Top)), QPoint(up(r.Right) - 1, up(r.Bottom) - 1));
}

void SoftwareView::SetScaleMode(TScaleMode mode) {
    mode_ = mode;
    scaled_ = QImage();
    if (!Unscaled()) Rescale();
    update();
}

void SoftwareView::resizeEvent(QResizeEvent*) {
    scaled_ = QImage();
    if (!Unscaled()) Rescale();
}

std::shared_ptr<IRenderDriver> SoftwareView::CreateDriver() {
    return std::make_shared<SoftwareDriver>(config_);
}

void SoftwareView::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    if (frame_.isNull()) {
        p.fillRect(rect(), Qt::black);
    } else if (Unscaled()) {
        p.drawImage(event->rect(), frame_, event->rect());
    } else {
        if (scaled_.isNull() || ratio_ != devicePixelRatioF()) Rescale();
        // One to one in device pixels (the image carries the view's ratio), only the part
        // asked for, with a device pixel more around it for the clip to cut. At a
        // fractional ratio the view's corner may lie between two device pixels (a menu
        // bar 21 pixels high at 1.5): every part is drawn from the device pixel that
        // corner rounds to, so that parts drawn apart line up with the whole picture.
        const QRect from =
            QRectF(QPointF(event->rect().topLeft()) * ratio_, QSizeF(event->rect().size()) * ratio_)
                .toAlignedRect()
                .adjusted(-1, -1, 1, 1) &
            scaled_.rect();
        const QPointF corner = p.deviceTransform().map(QPointF(0, 0));
        const QPointF snap(std::floor(corner.x() + 0.5) - corner.x(),
                           std::floor(corner.y() + 0.5) - corner.y());
        p.drawImage(QRectF((QPointF(from.topLeft()) + snap) / ratio_, QSizeF(from.size()) / ratio_), scaled_,
                    QRectF(from));
    }
}

TRect WindowOwner::WindowBounds() const {
    const QWidget* w = view_->window();
    const QRect r = w->frameGeometry();
    return Rect(r.left(), r.top(), r.left() + r.width(), r.top() + r.height());
}
