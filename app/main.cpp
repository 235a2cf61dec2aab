// The program: the application object and its title, the fatal-error hook, the main
// window with its start-up, and the event loop until the window closes.
#include "app/Desktop.h"
#include "app/GameView.h"
#include "app/GlProbe.h"
#include "app/MainWindow.h"
#include "base/Fatal.h"
#include "base/Paths.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    // SDL (sound, controllers) would otherwise turn SIGINT and SIGTERM into quit events
    // that nobody reads: the program could then not be stopped from outside.
    setenv("SDL_NO_SIGNAL_HANDLERS", "1", 0);
    QApplication app(argc, argv);
    ChooseGameLanguage(ExeDir());
    SetUpDesktopApplication(app);

    // The window draws with the probe's context.
    GlProbe probe;
    uint32_t maxTexture = 0;
    QString reason;
    const bool gl = probe.Usable(maxTexture, reason);
    if (!gl)
        std::fprintf(stderr, "himawari: %s; drawing with the software renderer instead of OpenGL\n",
                     reason.toLocal8Bit().constData());

    MainWindow window(ExeDir(), gl, maxTexture, [&probe] { return probe.TakeContext(); });
    // A layer that stops the program says why in a message box (HaltProgram has already
    // written it to standard error and exits with status 1 after the hook).
    SetFatalHook([&window](const std::string& message) {
        QMessageBox::critical(window.isVisible() ? &window : nullptr, window.windowTitle(),
                              QString::fromStdString(message));
    });
    window.FormCreate();
    window.ShowCentred();
    const int status = app.exec();
    SetFatalHook(nullptr);
    return status;
}
