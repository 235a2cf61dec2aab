#pragma once
// The main window: a drawing surface below a real menu bar that shows the game's 764 x 500
// frame scaled to its size (at least that size), the life bar lying over the surface
// where the frame puts it, fullscreen, the idle driver, key events and focus for the
// game, and the form TForm1 with everything it owns.
#include "app/FocusPause.h"
#include "app/GameView.h"
#include "app/GamepadFeed.h"
#include "app/QtHost.h"
#include "app/SettingsDialog.h"
#include "app/TickDeadline.h"
#include "game/Bgm.h"
#include "game/FormScreen.h"
#include "game/MenuCommands.h"
#include "game/Unit1.h"
#include "input/WindowInput.h"
#include "music/MidiPlayer.h"
#include "music/Mp3Library.h"
#include "ui/WindowSettings.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QProgressBar>
#include <QTimer>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class MainWindow : public QMainWindow {
public:
    // The game's frame size, the drawing surface's smallest.
    static constexpr QSize ClientSize{764, 500};

    // exeDir: the program's folder (with a trailing separator); useOpenGL: draw through
    // OpenGL 3.3 (else the software device) with the given largest texture size, and with
    // the context glContext gives at the first frame, when given (GlProbe's).
    MainWindow(const std::string& exeDir, bool useOpenGL, uint32_t maxTextureSize,
               GlContextSource glContext = {});
    ~MainWindow() override;

    // The start-up of the form; an error is shown in a message box and the window stays
    // open without a game. Answers whether it succeeded.
    bool FormCreate();
    // Places the window in the middle of the screen at the size it was closed at and shows
    // it (fullscreen when it was closed so); the idle driver starts.
    void ShowCentred();
    // Fullscreen on or off; leaving it gives the window its size and place again.
    void SetFullscreen(bool on);
    void SetScaleMode(TWindowScale scale);

    TForm1& Form() { return *form_; }
    QProgressBar* LifeBar() { return lifeBar_; }
    MouseDevice& Mouse() { return input_.Mouse(); }
    GameViewBase* View() { return view_; }
    const TWindowSettings& WindowSettings() const { return window_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildMenus();
    void BuildViewMenu();
    void SyncMenus();
    void SyncFullscreenCaption();
    // Places the widgets lying over the frame (the life bar, the pause notice) on it.
    void PlaceOverlays();
    // The keys of the window itself (fullscreen); true when the key was one of them.
    bool WindowKey(QKeyEvent* event);
    void SaveWindowSettings();
    void SyncLifeBar();
    void OnIdle();
    void RestartIdle();
    void KeyPressed(QKeyEvent* event);
    void KeyReleased(QKeyEvent* event);
    // A key or pad button of an action (not the movements) went down; repeat: the key's
    // auto-repeat.
    void ActionPressed(TAction action, bool repeat);
    void ShowError(const std::string& message);
    void MakeMusicAndCommands();
    void OpenSettings();
    void MakePause(GlView* gl);
    void StartGamepads();
    // A frame reached the screen; the first one lets the rest of the start-up run.
    void FramePresented();
    void AfterFirstFrame();
    // Runs a handler of the form; an error it raises is shown and the handler stops there.
    bool Guarded(const std::function<void()>& f);

    std::string exeDir_;
    // The game's clock: the system's, held still while play pauses (the music keeps the
    // system's own).
    PausableClock clock_{SystemClock::Instance()};
    GameViewBase* view_ = nullptr;
    // The window settings as read at the start and as they stand (the size the view has
    // outside fullscreen and maximised).
    TWindowSettings windowRead_, window_;
    QRect normalGeometry_; // the window's before fullscreen
    QMenu* viewMenu_ = nullptr;
    QAction* fullscreenAction_ = nullptr;
    std::array<QAction*, 2> scaleActions_{}; // 整数倍, 画面に合わせる
    std::unique_ptr<WindowOwner> owner_;
    std::unique_ptr<QtHost> host_;
    WindowInput input_;
    std::unique_ptr<TForm1> form_;
    std::unique_ptr<TFormScreen> screen_;
    // The music and the menu commands, made once the form's sound component is up.
    std::unique_ptr<IMp3Library> mp3_;
    std::unique_ptr<IMidiPlayer> midi_;
    std::unique_ptr<TBgm> bgm_;
    std::unique_ptr<TMenuCommands> commands_;
    QProgressBar* lifeBar_ = nullptr;
    std::unique_ptr<FocusPause> pause_;
    std::unique_ptr<GamepadFeed> gamepads_; // from the first frame on
    QObject* mouseFeed_ = nullptr;
    QTimer idle_;
    TTickDeadline tickDeadline_; // the next tick's, while the driver waits for it
    bool created_ = false;
    bool afterFirstFrame_ = false; // the first frame was presented
    bool startupDone_ = false;     // the start-up's later work ran
    int tickDepth_ = 0;
    bool closing_ = false;
    // Menu commands running (a command's dialog or its handling of pending events may
    // run another), and a close that waits for them to end.
    int commandDepth_ = 0;
    bool closeDeferred_ = false;
    std::map<TMenuItem*, QAction*> actions_;
    std::vector<std::pair<TMenuItem*, QMenu*>> menus_;
};
