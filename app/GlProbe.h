#pragma once
// The start-up's OpenGL probe (ProbeOpenGL), made on the window's thread. Where the
// platform draws with OpenGL away from that thread, a thread of its own then copies a
// frame-buffer object of the window's size to a surface of the window's kind once, while
// the window and the game start: a renderer such as llvmpipe compiles that copy (the one
// each present makes, for that size) about 40 ms long, which the first frame then no
// longer waits for. The context goes to the window, which draws with it.
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QSize>
#include <QString>
#include <QThread>

#include <cstdint>
#include <memory>

class GlProbe {
public:
    // Probes, on the thread that makes the window (the context goes to it), and starts the
    // copy for a frame of frameSize (none when empty).
    explicit GlProbe(QSize frameSize);
    // Waits for the copy to end.
    ~GlProbe();
    GlProbe(const GlProbe&) = delete;
    GlProbe& operator=(const GlProbe&) = delete;

    // Whether an OpenGL 3.3 core context can be made and the largest texture size it takes,
    // or why not.
    bool Usable(uint32_t& maxTextureSize, QString& reason) const;
    // Waits for the copy to end and hands over the context (not current), or null when
    // there is none or it was taken already.
    std::unique_ptr<QOpenGLContext> TakeContext();

private:
    void EndCopy();

    bool usable_ = false;
    uint32_t maxTextureSize_ = 0;
    QString reason_;
    std::unique_ptr<QOpenGLContext> context_; // the copy's thread's while it runs
    // Made and destroyed on the window's thread, as offscreen surfaces must be; the copy's
    // thread only draws to it.
    std::unique_ptr<QOffscreenSurface> surface_;
    std::unique_ptr<QThread> copy_;
};
