#pragma once
// The drawing surface of the main window and the graphics device's view of the window.
// With OpenGL 3.3 the surface is a native window of its own whose context the OpenGL
// device draws with and swaps at each present; without it, a plain widget shows the
// software device's frames.
#include "graphics/DODozuz9.h"
#include "graphics/device/FramePlacement.h"
#include "graphics/device/OpenGLDevice.h"
#include "graphics/device/SoftwareDevice.h"
#include "input/EventDevices.h"

#include <QImage>
#include <QOpenGLContext>
#include <QWidget>
#include <QWindow>

#include <functional>
#include <memory>

// Where the OpenGL window gets its context, at its first frame: it makes one when this
// is empty or answers null.
using GlContextSource = std::function<std::unique_ptr<QOpenGLContext>()>;

// The colour around the scaled picture.
inline constexpr uint32_t BorderColour = 0xFF101010;

// Where a view of the given logical size at a device pixel ratio shows a frame of
// frameSize (device pixels), and the way between the frame's and the view's coordinates.
TFramePlacement PlaceInView(QSize frameSize, QSize viewSize, qreal ratio, TScaleMode mode);
// A frame rectangle as the view's logical rectangle it covers.
QRect FrameRectInView(const TFramePlacement& placement, const QRect& frameRect, qreal ratio);
// A view point (logical) as the frame pixel under it (outside the frame on the border).
QPoint ViewPointInFrame(const TFramePlacement& placement, QPointF viewPoint, qreal ratio);

// What both views share: the game's frame size, the scaling mode and the frame's place.
class GameViewBase : public QWidget {
public:
    GameViewBase(QWidget* parent, QSize frameSize) : QWidget(parent), frameSize_(frameSize) {}
    QSize FrameSize() const { return frameSize_; }
    TScaleMode ScaleMode() const { return mode_; }
    virtual void SetScaleMode(TScaleMode mode) = 0;
    TFramePlacement Placement() const { return PlaceInView(frameSize_, size(), devicePixelRatioF(), mode_); }
    QRect FrameRectInView(const QRect& frameRect) const {
        return ::FrameRectInView(Placement(), frameRect, devicePixelRatioF());
    }
    QPoint ToFrame(QPointF viewPoint) const {
        return ViewPointInFrame(Placement(), viewPoint, devicePixelRatioF());
    }

protected:
    QSize frameSize_;
    TScaleMode mode_ = TScaleMode::WholeNumber;
};

// Whether an OpenGL 3.3 core context can be made on this display; the largest texture
// size it takes. Says why not in reason. With keep, a context that passed is handed over
// there (not current) for the OpenGL view to draw with: the first context costs most.
bool ProbeOpenGL(uint32_t& maxTextureSize, QString& reason, std::unique_ptr<QOpenGLContext>* keep = nullptr);

// The OpenGL window's kept frame: a framebuffer object drawing into a texture of the
// window's size. With its context current: made (false, and none, when the driver cannot),
// deleted, and copied to the context's current surface (without a swap).
struct GlKeptFrame {
    GLuint buffer = 0, texture = 0;
    QSize size;
};
// The copy scales the frame to the placement (sampled nearest for a whole factor, linearly
// otherwise) in a target of targetSize device pixels and fills the border around it; by
// default, unscaled into a target of the frame's size.
bool CreateKeptFrame(QOpenGLContext& context, QSize size, GlKeptFrame& frame);
void DeleteKeptFrame(QOpenGLContext& context, GlKeptFrame& frame);
// With part (a rectangle of the target, rows from the top), only that part of the target
// is written and the border is left as it is.
void CopyKeptFrame(QOpenGLContext& context, const GlKeptFrame& frame,
                   const TFramePlacement* placement = nullptr, QSize targetSize = {},
                   const QRect* part = nullptr);

// The window pixels a frame rectangle reaches at a placement (a filtered placement blends
// the frame pixels around each window pixel: a frame pixel more on each side), held to the
// window.
QRect WindowPartOfFrameRect(const TFramePlacement& placement, const TRect& frameRect, QSize window);

// A copy of part of the back buffer of a GLX window to the screen, the back buffer left as
// it is (GLX_MESA_copy_sub_buffer), where the display offers it: a frame that changed in
// part then sends only that part, where a buffer swap sends the whole window and leaves
// the back buffer undefined.
class GlPartCopy {
public:
    // Finds the copy for the context (current on window); false where there is none.
    bool Find(QOpenGLContext& context, QWindow& window);
    bool Found() const { return copy_ != nullptr; }
    // x, y: the part's bottom left in GL's window coordinates.
    void Copy(int x, int y, int width, int height) const;

private:
    using CopyFunction = void (*)(void* display, unsigned long drawable, int x, int y, int width, int height);
    CopyFunction copy_ = nullptr;
    void* display_ = nullptr;
    unsigned long drawable_ = 0;
};

// The OpenGL window inside the view. The device's frame reaches the screen with one
// buffer swap inside the tick (whose wait for the next tick then absorbs it), not through
// the main window's composition of widget textures at the next pass of the event loop,
// which would push every tick back by its own cost (a whole frame's composition on a
// software rasteriser). The device draws into a framebuffer object that keeps the last frame, so
// that a part of the window uncovered between ticks (a dialog closed) is shown again at
// once. The kept frame has the game's frame size; the copy to the window scales it.
// Input passes through it to the view.
class GlSurface : public QWindow {
public:
    // context: one made for this surface's format (ProbeOpenGL's), taken at the first
    // frame.
    GlSurface(uint32_t maxTextureSize, GlContextSource context, QSize frameSize);
    ~GlSurface() override;
    std::shared_ptr<IRenderDriver> CreateDriver();
    // Called after each frame the device presents.
    void OnFramePresented(std::function<void()> presented) { presented_ = std::move(presented); }
    // Shows the kept frame again in the mode.
    void SetScaleMode(TScaleMode mode);

protected:
    void exposeEvent(QExposeEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool MakeCurrent();
    // Copies the kept frame to the window and shows it; with damage (frame pixels) only
    // the window's part it reaches, when the window shows the last frame whole at the
    // same placement and the display can show a part.
    void ShowFrame(const TRect* damage = nullptr);

    QSize frameSize_;
    TScaleMode mode_ = TScaleMode::WholeNumber;
    GlContextSource source_;
    std::unique_ptr<QOpenGLContext> context_; // from the first frame on
    GlKeptFrame frame_;
    GlPartCopy partCopy_;
    bool partCopyProbed_ = false;
    // What the back buffer holds whole (with the part copy, it is never swapped): the
    // kept frame at this placement in a target of this size; empty when nothing is known.
    TFramePlacement shownPlacement_;
    QSize shownTarget_;
    std::shared_ptr<TGLConfig> config_;
    std::function<void()> presented_;
};

// The view itself: it takes the focus and the mouse; the surface fills it.
class GlView : public GameViewBase {
public:
    // frameSize: the game's frame (the device's back buffer).
    GlView(QWidget* parent, uint32_t maxTextureSize, QSize frameSize, GlContextSource context = {});
    std::shared_ptr<IRenderDriver> CreateDriver() { return surface_->CreateDriver(); }
    void OnFramePresented(std::function<void()> presented) {
        surface_->OnFramePresented(std::move(presented));
    }
    // Makes a child of the view show over the surface (as a native window above it).
    void Overlay(QWidget* child);
    void SetScaleMode(TScaleMode mode) override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    GlSurface* surface_;
    QWidget* container_;
};

// The software device's frames: kept as presented (frame_); at the frame's own size they
// are painted from there, scaled only their damaged part goes into an image of the
// view's size in device pixels (scaled_), painted one to one.
class SoftwareView : public GameViewBase {
public:
    SoftwareView(QWidget* parent, QSize frameSize);
    std::shared_ptr<IRenderDriver> CreateDriver();
    // Called after each frame the device presents.
    void OnFramePresented(std::function<void()> presented) { presented_ = std::move(presented); }
    void SetScaleMode(TScaleMode mode) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Present(const TSoftwareFrame& f);
    // Whether the frame is shown at its own size filling the view.
    bool Unscaled() const;
    // Makes the scaled image anew for the view's size and ratio, the whole frame in it.
    void Rescale();
    // Scales the frame's part into the scaled image; answers the view's logical rectangle.
    QRect ScalePart(const QRect& part);

    std::shared_ptr<TSoftwareConfig> config_;
    QImage frame_;
    QImage scaled_;
    TFramePlacement placement_;
    qreal ratio_ = 0;
    std::function<void()> presented_;
};

// Feeds the mouse device from the view: moves (with or without a button down, in the
// view's coordinates, or the frame's that toFrame maps them to), the buttons and the
// wheel, wherever in the view they happen, over the widgets already on it too. Answers
// the feed, a child of the view: delete it first when the mouse goes before the view.
QObject* FeedMouseFrom(QWidget* view, MouseDevice& mouse, std::function<QPoint(QPointF)> toFrame = {});

// The window as the device component sees it: a fixed client area of the game's frame
// size, whatever the view's size (the views scale the frame to it).
class WindowOwner : public IDGOwner {
public:
    WindowOwner(QWidget* view, QSize frameSize, std::function<std::shared_ptr<IRenderDriver>()> driver)
        : view_(view), frameSize_(frameSize), driver_(std::move(driver)) {}
    int32_t ClientWidth() const override { return frameSize_.width(); }
    int32_t ClientHeight() const override { return frameSize_.height(); }
    TRect WindowBounds() const override;
    // Stands for the window (asking Qt for a native id would make the view a native
    // child, which the OpenGL widget does not take).
    WindowHandle Handle() const override { return reinterpret_cast<WindowHandle>(view_); }
    // The window keeps its fixed size; the back buffer is made for it.
    void SetWindowPos(int32_t, int32_t, int32_t, int32_t) override {}
    std::shared_ptr<IRenderDriver> CreateDriver() override { return driver_(); }

private:
    QWidget* view_;
    QSize frameSize_;
    std::function<std::shared_ptr<IRenderDriver>()> driver_;
};
