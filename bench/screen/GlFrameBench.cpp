// One frame of the real OpenGL window (Mesa's llvmpipe under Xvfb: run it with xvfb-run):
// the form draws through the OpenGL device into the window's kept frame, which is copied
// to the window and swapped, as in the game. The CPU time is the whole process's, the
// rasteriser's threads with it.
#include "ScriptedPlay.h"
#include "app/GameView.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>

namespace {

using namespace bench;

QApplication& App() {
    static int argc = 1;
    static char name[] = "gl_frame_bench";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

// The game's window: a 764 x 500 top level with the OpenGL view filling it, shown.
struct GlWindow {
    explicit GlWindow(uint32_t maxTexture) : view(new GlView(&top, maxTexture, QSize(764, 500))) {
        top.setFixedSize(764, 500);
        view->setGeometry(0, 0, 764, 500);
        top.show();
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 3000 && !(top.windowHandle() && top.windowHandle()->isExposed()))
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        for (int i = 0; i < 10; ++i) QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    QWidget top;
    GlView* view;
};

// The game drawing in it.
struct GlGame : GlWindow, GameWith<WindowOwner> {
    GlGame(const std::string& exeDir, uint32_t maxTexture)
        : GlWindow(maxTexture),
          GameWith(exeDir, view, QSize(764, 500), [this] { return view->CreateDriver(); }) {}
};

bool Skipped(benchmark::State& state, uint32_t& maxTexture) {
    App();
    QString reason;
    if (ProbeOpenGL(maxTexture, reason)) return false;
    state.SkipWithError(reason.toStdString().c_str());
    return true;
}

// The title screen, untouched: after its first frame nothing changes, and a frame sends
// nothing to the device and is not presented.
void BM_GlFrameOfTitle(benchmark::State& state) {
    uint32_t maxTexture = 0;
    if (Skipped(state, maxTexture)) return;
    TempDir dir;
    GlGame g(ProgramFolder(dir), maxTexture);
    g.form.FormCreate();
    g.screen.Loaded();
    for (auto _ : state) {
        g.clock.Advance(25);
        g.form.RenderFrame();
    }
}
BENCHMARK(BM_GlFrameOfTitle)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

// One tick of scripted play in the third stage (as BM_FrameOfPlay: the hamster walks, eats,
// new boards come).
void BM_GlFrameOfPlay(benchmark::State& state) {
    uint32_t maxTexture = 0;
    if (Skipped(state, maxTexture)) return;
    TempDir dir;
    GlGame g(ProgramFolder(dir), maxTexture);
    StartThirdStage(g);
    ScriptedPlay<GlGame> play(g);
    for (auto _ : state) play.Frame();
    state.counters["boards_per_1000"] = 1000.0 * play.Boards() / static_cast<double>(state.iterations());
}
BENCHMARK(BM_GlFrameOfPlay)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

} // namespace
