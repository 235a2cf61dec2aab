#pragma once
// The start-up's OpenGL probe, on a thread of its own (ProbeOpenGL there) where the
// platform draws with OpenGL away from the window's thread. Once it has
// answered, and while the window and the game start, the thread copies a frame-buffer
// object of the window's size to its kind of surface once: a renderer such as llvmpipe
// compiles that copy (the one each present makes, for that size) about 40 ms long, which
// the first frame then no longer waits for. The context goes to the window, which draws
// with it.
#include <QOpenGLContext>
#include <QSize>
#include <QString>

#include <cstdint>
#include <future>
#include <memory>
#include <thread>

class GlProbe {
public:
    // Starts the probe; on the thread that makes the window (the context goes to it), with
    // the size of the window's frame.
    explicit GlProbe(QSize frameSize);
    // Waits for the thread to end.
    ~GlProbe();
    GlProbe(const GlProbe&) = delete;
    GlProbe& operator=(const GlProbe&) = delete;

    // Waits for the answer: whether an OpenGL 3.3 core context can be made and the largest
    // texture size it takes, or why not. A context made on the thread that then fails is
    // probed again on the calling thread. Called once.
    bool Wait(uint32_t& maxTextureSize, QString& reason);
    // Waits for the thread to end and hands over its context (not current), or null when
    // there is none or it was taken already.
    std::unique_ptr<QOpenGLContext> TakeContext();

private:
    struct Answer {
        bool Usable = false;
        bool ContextMade = false;
        uint32_t MaxTextureSize = 0;
        QString Reason;
    };
    void Run(QThread* owner, QSize frameSize);

    std::promise<Answer> promise_;
    std::shared_future<Answer> answer_;
    std::unique_ptr<QOpenGLContext> context_; // the thread's until it has ended
    std::thread thread_;
};
