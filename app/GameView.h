#pragma once
// The drawing surface of the main window and the graphics device's view of the window.
// With OpenGL 3.3 the surface is a native window of its own whose context the OpenGL
// device draws with and swaps at each present; without it, a plain widget shows the
// software device's frames.
#include "graphics/DODozuz9.h"
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
bool CreateKeptFrame(QOpenGLContext& context, QSize size, GlKeptFrame& frame);
void DeleteKeptFrame(QOpenGLContext& context, GlKeptFrame& frame);
void CopyKeptFrame(QOpenGLContext& context, const GlKeptFrame& frame);

// The OpenGL window inside the view. The device's frame reaches the screen with one
// buffer swap inside the tick (whose wait for the next tick then absorbs it), not through
// the main window's composition of widget textures at the next pass of the event loop,
// which would push every tick back by its own cost (a whole frame's composition on a
// software rasteriser). The device draws into a framebuffer object that keeps the last frame, so
// that a part of the window uncovered between ticks (a dialog closed) is shown again at
// once. Input passes through it to the view.
class GlSurface : public QWindow {
public:
    // context: one made for this surface's format (ProbeOpenGL's), taken at the first
    // frame.
    GlSurface(uint32_t maxTextureSize, GlContextSource context);
    ~GlSurface() override;
    std::shared_ptr<IRenderDriver> CreateDriver();
    // Called after each frame the device presents.
    void OnFramePresented(std::function<void()> presented) { presented_ = std::move(presented); }

protected:
    void exposeEvent(QExposeEvent* event) override;

private:
    bool MakeCurrent();
    QSize FramebufferSize() const;
    // Copies the kept frame to the window and swaps.
    void ShowFrame();

    GlContextSource source_;
    std::unique_ptr<QOpenGLContext> context_; // from the first frame on
    GlKeptFrame frame_;
    std::shared_ptr<TGLConfig> config_;
    std::function<void()> presented_;
};

// The view itself: it takes the focus and the mouse; the surface fills it.
class GlView : public QWidget {
public:
    GlView(QWidget* parent, uint32_t maxTextureSize, GlContextSource context = {});
    std::shared_ptr<IRenderDriver> CreateDriver() { return surface_->CreateDriver(); }
    void OnFramePresented(std::function<void()> presented) {
        surface_->OnFramePresented(std::move(presented));
    }
    // Makes a child of the view show over the surface (as a native window above it).
    void Overlay(QWidget* child);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    GlSurface* surface_;
    QWidget* container_;
};

class SoftwareView : public QWidget {
public:
    explicit SoftwareView(QWidget* parent);
    std::shared_ptr<IRenderDriver> CreateDriver();
    // Called after each frame the device presents.
    void OnFramePresented(std::function<void()> presented) { presented_ = std::move(presented); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::shared_ptr<TSoftwareConfig> config_;
    QImage frame_;
    std::function<void()> presented_;
};

// Feeds the mouse device from the view: moves (with or without a button down, in the
// view's coordinates), the buttons and the wheel, wherever in the view they happen,
// over the widgets already on it too. Answers the feed, a child of the view: delete it
// first when the mouse goes before the view.
QObject* FeedMouseFrom(QWidget* view, MouseDevice& mouse);

// The window as the device component sees it: a fixed client area of the view's size.
class WindowOwner : public IDGOwner {
public:
    WindowOwner(QWidget* view, std::function<std::shared_ptr<IRenderDriver>()> driver)
        : view_(view), driver_(std::move(driver)) {}
    int32_t ClientWidth() const override { return view_->width(); }
    int32_t ClientHeight() const override { return view_->height(); }
    TRect WindowBounds() const override;
    // Stands for the window (asking Qt for a native id would make the view a native
    // child, which the OpenGL widget does not take).
    WindowHandle Handle() const override { return reinterpret_cast<WindowHandle>(view_); }
    // The window keeps its fixed size; the back buffer is made for it.
    void SetWindowPos(int32_t, int32_t, int32_t, int32_t) override {}
    std::shared_ptr<IRenderDriver> CreateDriver() override { return driver_(); }

private:
    QWidget* view_;
    std::function<std::shared_ptr<IRenderDriver>()> driver_;
};
