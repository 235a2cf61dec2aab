#pragma once
// The start-up's OpenGL probe (ProbeOpenGL), made on the window's thread: whether an
// OpenGL 3.3 core context can be made, and that context, which the window then draws
// with (no second context). Everything OpenGL stays on the window's thread: the window's
// first present makes the first copy of its kept frame.
#include <QOpenGLContext>
#include <QString>

#include <cstdint>
#include <memory>

class GlProbe {
public:
    // Probes on the thread that makes the window.
    GlProbe();
    GlProbe(const GlProbe&) = delete;
    GlProbe& operator=(const GlProbe&) = delete;

    // Whether an OpenGL 3.3 core context can be made and the largest texture size it takes,
    // or why not.
    bool Usable(uint32_t& maxTextureSize, QString& reason) const;
    // Hands over the context (not current), or null when there is none or it was taken
    // already.
    std::unique_ptr<QOpenGLContext> TakeContext();

private:
    bool usable_ = false;
    uint32_t maxTextureSize_ = 0;
    QString reason_;
    std::unique_ptr<QOpenGLContext> context_;
};
