// One frame of the real OpenGL window (Mesa's llvmpipe under Xvfb: run it with xvfb-run):
// the form draws through the OpenGL device into the window's kept frame, which is copied
// to the window and swapped, as in the game. The CPU time is the whole process's, the
// rasteriser's threads with it.
#include "BenchGame.h"
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

// The game's window: a 764 x 500 top level with the OpenGL view filling it.
struct GlGame {
    explicit GlGame(const std::string& exeDir, uint32_t maxTexture)
        : view(new GlView(&top, maxTexture)), owner(view, [this] { return view->CreateDriver(); }),
          form(clock, host, exeDir, Platform()), screen(form) {
        top.setFixedSize(764, 500);
        view->setGeometry(0, 0, 764, 500);
        top.show();
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 3000 && !(top.windowHandle() && top.windowHandle()->isExposed()))
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        for (int i = 0; i < 10; ++i) QApplication::processEvents(QEventLoop::AllEvents, 10);
        form.SetFrameDrawer(&screen);
    }
    ~GlGame() { form.SetFrameDrawer(nullptr); }
    TFormPlatform Platform() {
        TFormPlatform p;
        p.AudioOutput = [] { return std::make_unique<TPulledAudioOutput>(); };
        p.Input = &input;
        p.Owner = &owner;
        return p;
    }
    QWidget top;
    GlView* view;
    ManualClock clock{1000};
    ScriptedHost host;
    WindowInput input{std::make_unique<FakeControllers>()};
    WindowOwner owner;
    TForm1 form;
    TFormScreen screen;
};

bool Skipped(benchmark::State& state, uint32_t& maxTexture) {
    App();
    QString reason;
    if (ProbeOpenGL(maxTexture, reason)) return false;
    state.SkipWithError(reason.toStdString().c_str());
    return true;
}

// The title screen, untouched: the whole frame drawn again each tick.
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

// One frame of play in the third stage.
void BM_GlFrameOfPlay(benchmark::State& state) {
    uint32_t maxTexture = 0;
    if (Skipped(state, maxTexture)) return;
    TempDir dir;
    GlGame g(ProgramFolder(dir), maxTexture);
    g.form.FormCreate();
    g.screen.Loaded();
    g.clock.Advance(2000);
    bool done = true;
    g.form.ApplicationEvents1Idle(done);
    g.form.FoodsCount = 25;
    uint16_t enter = VK_RETURN;
    g.form.FormKeyDown(enter);
    for (auto _ : state) {
        g.clock.Advance(25);
        g.form.RenderFrame();
    }
}
BENCHMARK(BM_GlFrameOfPlay)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

} // namespace
