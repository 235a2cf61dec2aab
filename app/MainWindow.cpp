#include "app/MainWindow.h"

#include "app/BenchHooks.h"
#include "app/Desktop.h"
#include "app/KeyCodes.h"
#include "app/WindowPage.h"
#include "base/Clock.h"
#include "base/Exception.h"
#include "base/Fatal.h"
#include "base/Paths.h"
#include "base/Translate.h"
#include "input/Ddidex.h"
#include "input/SdlControllers.h"
#include "music/BgmSettings.h"
#include "music/FluidMidiPlayer.h"
#include "music/Mpg123Library.h"
#include "sound/ddsd.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLayout>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QTabWidget>

#include <cstdio>
#include <iostream>
#include <thread>

namespace {

// How long the start-up's later work waits for the first frame at most.
constexpr int FirstFrameWaitMs = 1000;

TScaleMode ModeOf(TWindowScale scale) {
    return scale == TWindowScale::Fit ? TScaleMode::Fit : TScaleMode::WholeNumber;
}

} // namespace

MainWindow::MainWindow(const std::string& exeDir, bool useOpenGL, uint32_t maxTextureSize,
                       GlContextSource glContext)
    : exeDir_(exeDir), input_(std::make_unique<SdlControllers>()) {
    setWindowTitle(QString::fromUtf8(Tr("ひまわり畑の大脱走！")));
    std::function<std::shared_ptr<IRenderDriver>()> driver;
    GlView* gl = nullptr;
    if (useOpenGL) {
        gl = new GlView(this, maxTextureSize, ClientSize, std::move(glContext));
        driver = [gl] { return gl->CreateDriver(); };
        gl->OnFramePresented([this] { FramePresented(); });
        view_ = gl;
    } else {
        auto* sw = new SoftwareView(this, ClientSize);
        driver = [sw] { return sw->CreateDriver(); };
        sw->OnFramePresented([this] { FramePresented(); });
        view_ = sw;
    }
    // Resizable down to the frame's own size below the menu bar.
    view_->setMinimumSize(ClientSize);
    view_->setFocusPolicy(Qt::StrongFocus);
    setCentralWidget(view_);
    owner_ = std::make_unique<WindowOwner>(view_, ClientSize, std::move(driver));
    host_ = std::make_unique<QtHost>(this, exeDir_);
    TFormPlatform platform;
    platform.Owner = owner_.get();
    platform.Input = &input_;
    form_ = std::make_unique<TForm1>(clock_, *host_, exeDir_, std::move(platform));
    form_->SetMusicClock(&SystemClock::Instance());
    // The saved game and the settings go where the player may write; a folder that
    // cannot be made is said once here, and a save into it says why it failed. Without
    // any folder the game plays on and keeps nothing (a save says so).
    form_->UserDir = UserDataDir(exeDir_);
    form_->XdgDir = XdgDataDir();
    if (form_->UserDir.empty())
        ReportDiagnostic("no home folder: the saved game and the settings are not kept");
    else
        MakeUserDataDir(form_->UserDir);
    windowRead_ = window_ = ReadWindowSettings(form_->UserFileToRead("Settei.ini"), std::cerr);
    view_->SetScaleMode(ModeOf(window_.Scale));
    screen_ = std::make_unique<TFormScreen>(*form_);
    form_->SetFrameDrawer(screen_.get());

    // The life bar: a real progress bar lying over the drawn surface.
    const TProgressBar& bar = form_->PBLife;
    lifeBar_ = new QProgressBar(view_);
    lifeBar_->setGeometry(bar.Left(), bar.Top(), bar.Width(), bar.Height());
    if (gl) gl->Overlay(lifeBar_);
    lifeBar_->setRange(0, bar.Max());
    lifeBar_->setTextVisible(false);
    lifeBar_->setFocusPolicy(Qt::NoFocus);
    SyncLifeBar();
    // The view and all on it, in the frame's coordinates.
    mouseFeed_ = FeedMouseFrom(view_, input_.Mouse(), [this](QPointF at) { return view_->ToFrame(at); });

    MakePause(gl);
    BuildMenus();
    BuildViewMenu();
    PlaceOverlays();

    idle_.setInterval(0);
    idle_.setTimerType(Qt::PreciseTimer); // a tick is due to the millisecond
    connect(&idle_, &QTimer::timeout, this, [this] { OnIdle(); });
    qApp->installEventFilter(this);
}

// Play pauses while the window is inactive (its notice made at the first pause, over the
// OpenGL surface a native window of its own).
void MainWindow::MakePause(GlView* gl) {
    std::function<void(QWidget*)> placed;
    if (gl) placed = [gl](QWidget* notice) { gl->Overlay(notice); };
    pause_ = std::make_unique<FocusPause>(
        view_, clock_,
        [this] { return form_->Hamster.Active || (form_->Hamster.Falling && !form_->GameOver); },
        [this] {
            if (created_ && !closing_ && bgm_) Guarded([this] { bgm_->CheckBgmEnd(form_->BoardClear); });
        },
        std::move(placed));
}

// Game controllers press the game's keys. SDL's game-controller subsystem (it reads the
// mapping database and opens the controllers attached now) starts once the first frame is
// on the screen: the first frame does not need it.
void MainWindow::StartGamepads() {
    gamepads_ = std::make_unique<GamepadFeed>(
        input_.Keyboard(), [this] { return isActiveWindow(); },
        [this](TAction action) {
            if (created_) ActionPressed(action, false);
            SyncMenus();
            SyncLifeBar();
            RestartIdle();
        },
        [this] { RestartIdle(); });
    gamepads_->SetDeadZone(form_->Components.DDIDEX1->DeadZone());
    gamepads_->SetBindings(form_->Settings.Keys);
    gamepads_->Start();
}

// The start-up's work that the first frame does not need, once that frame is on the
// screen (or, when none comes, a while after the window showed).
void MainWindow::FramePresented() {
    if (afterFirstFrame_) return;
    afterFirstFrame_ = true;
    // Not inside the tick that presented the frame: from the event loop, at once.
    QTimer::singleShot(0, this, [this] { AfterFirstFrame(); });
}

void MainWindow::AfterFirstFrame() {
    if (startupDone_) return;
    startupDone_ = true;
    SetApplicationIcon();
    Guarded([this] { host_->Form2(); }); // the hidden version dialog
    if (created_ && !closing_) StartGamepads();
}

MainWindow::~MainWindow() {
    qApp->removeEventFilter(this);
    delete mouseFeed_; // the view outlives the input devices
    idle_.stop();
    gamepads_.reset();
    pause_.reset();
    // The commands and the music (its voices on the sound component's mixer) first; the
    // screen's textures go before the device the form's components own.
    commands_.reset();
    form_->SetMusic(nullptr);
    bgm_.reset();
    midi_.reset();
    mp3_.reset();
    form_->SetFrameDrawer(nullptr);
    screen_.reset();
    form_.reset();
}

void MainWindow::ShowError(const std::string& message) {
    std::fprintf(stderr, "himawari: %s\n", message.c_str());
    QMessageBox::critical(this, windowTitle(), QString::fromStdString(message));
}

bool MainWindow::Guarded(const std::function<void()>& f) {
    try {
        f();
        return true;
    } catch (const std::exception& e) {
        ShowError(e.what());
        return false;
    }
}

bool MainWindow::FormCreate() {
    created_ = Guarded([this] {
        form_->FormCreate();
        screen_->Loaded();
        MakeMusicAndCommands();
        pause_->SetEnabled(ReadPauseOnFocusLoss(form_->UserFileToRead("Settei.ini")));
    });
    // After a failed start-up the window stays open without a game: its exit, help and
    // version items still work (the BGM menu has no music to command).
    if (!created_ && !commands_) commands_ = std::make_unique<TMenuCommands>(*form_);
    SyncMenus();
    SyncFullscreenCaption(); // the bindings read
    SyncLifeBar();
    return created_;
}

// The MP3 library and the MIDI player play into the sound component's mixer.
void MainWindow::MakeMusicAndCommands() {
    const std::shared_ptr<TMixer> mixer = form_->Components.DDSD1->Mixer();
    mp3_ = std::make_unique<TMpg123Library>(mixer);
    midi_ = std::make_unique<TFluidMidiPlayer>(mixer);
    bgm_ = std::make_unique<TBgm>(*form_, *mp3_, *midi_);
    form_->SetMusic(bgm_.get());
    commands_ = std::make_unique<TMenuCommands>(*form_, *bgm_);
    commands_->SetSettingsHandler([this] { OpenSettings(); });
}

// The settings dialog edits a copy: OK applies it (the bindings at once, the sound as it
// was heard while the sliders moved, the window's scaling and fullscreen) and writes it;
// Cancel and Esc give back the sound as it was and leave the file alone. Meanwhile a
// pad's buttons work the dialog.
void MainWindow::OpenSettings() {
    const TGameSettings before = form_->Settings;
    SettingsDialog dialog(
        before, [this](const TSoundOptions& sound) { form_->ApplySoundLevels(sound); }, this);
    window_.Fullscreen = isFullScreen();
    auto* windowPage = new WindowPage(window_);
    dialog.Pages()->addTab(windowPage, QString::fromUtf8(Tr("画面(&W)")));
    if (gamepads_) gamepads_->SetButtonListener([&dialog](TPadButton b) { dialog.PadPressed(b); });
    const bool ok = dialog.exec() == QDialog::Accepted;
    if (gamepads_) gamepads_->SetButtonListener({});
    if (!ok) {
        form_->ApplySoundLevels(before.Sound);
        return;
    }
    form_->ApplySettings(dialog.Result());
    if (gamepads_) gamepads_->SetBindings(form_->Settings.Keys);
    SyncFullscreenCaption();
    form_->WriteSettings();
    const TWindowSettings chosen = windowPage->Result();
    if (chosen.Scale != window_.Scale) SetScaleMode(chosen.Scale);
    SetFullscreen(chosen.Fullscreen);
    SaveWindowSettings();
}

void MainWindow::ShowCentred() {
    adjustSize();
    // The view at the size kept (the menu bar and the frame around it as they are), no
    // larger than the screen it opens on (the size may come from a larger one).
    resize(size() - view_->size() + QSize(window_.Width, window_.Height));
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        resize(size().boundedTo(area.size() - (frameGeometry().size() - size())));
        QRect frame = frameGeometry();
        frame.moveCenter(area.center());
        move(frame.topLeft());
    }
    show();
    if (window_.Fullscreen) SetFullscreen(true);
    view_->setFocus();
    if (created_) {
        idle_.start(0);
        // A window that presents no frame for a while (not exposed) still gets the rest.
        QTimer::singleShot(FirstFrameWaitMs, this, [this] { AfterFirstFrame(); });
    } else {
        AfterFirstFrame(); // no game, no frame to wait for
    }
}

// The idle notification: when the handler leaves Done true, the driver stops until the
// next input event. It never runs inside the composition's own handling of pending
// events; inside a modal dialog's loop (a question asked by a tick) it does, as the
// game expects.
void MainWindow::OnIdle() {
    if (!created_ || closing_ || host_->ProcessingMessages()) return;
    if (pause_->Paused()) { // no ticks: the window's activation resumes them
        idle_.stop();
        return;
    }
    if (tickDepth_ > 0 && !QApplication::activeModalWidget()) return;
    // Woken a little before the tick's deadline: the rest is slept, so that the tick
    // starts in the millisecond it is due.
    if (tickDeadline_.SleepAt(TTickDeadline::Clock::now()) > TTickDeadline::Clock::duration::zero())
        std::this_thread::sleep_until(tickDeadline_.Due());
    tickDeadline_.Clear();
    ++tickDepth_;
    bool done = true;
    const uint32_t lastTick = form_->LastFrameTime;
    const bool ok = Guarded([&] { form_->ApplicationEvents1Idle(done); });
    const bool ticked = form_->LastFrameTime != lastTick;
    if (ticked) {
        BenchTick();
        BenchAudio(*form_->Components.DDSD1->Mixer());
    }
    --tickDepth_;
    // Only a tick changes what the menus and the life bar show; the calls between ticks
    // (waiting for the next one) leave them.
    if (ticked || !ok) {
        SyncMenus();
        SyncLifeBar();
    }
    if (done || !ok) {
        idle_.stop();
        return;
    }
    // Not due yet: wait for the next message (RestartIdle) or the tick's deadline,
    // whichever comes first, instead of calling the handler again in a spin.
    const auto now = TTickDeadline::Clock::now();
    tickDeadline_.Set(now, form_->MsUntilNextTick());
    idle_.start(tickDeadline_.TimerMs(now));
}

void MainWindow::RestartIdle() {
    if (created_ && !closing_ && !pause_->Paused() && (!idle_.isActive() || idle_.interval() != 0))
        idle_.start(0);
}

void MainWindow::SyncLifeBar() {
    lifeBar_->setValue(form_->PBLife.Position());
}

void MainWindow::PlaceOverlays() {
    const TProgressBar& bar = form_->PBLife;
    lifeBar_->setGeometry(view_->FrameRectInView(QRect(bar.Left(), bar.Top(), bar.Width(), bar.Height())));
    pause_->SetPlacement([this](QRect onFrame) { return view_->FrameRectInView(onFrame); });
}

void MainWindow::SetFullscreen(bool on) {
    if (on != isFullScreen()) {
        if (on) {
            normalGeometry_ = geometry();
            showFullScreen();
        } else {
            showNormal();
            if (normalGeometry_.isValid()) setGeometry(normalGeometry_);
        }
    }
    window_.Fullscreen = on;
    if (fullscreenAction_) fullscreenAction_->setChecked(on);
}

void MainWindow::SetScaleMode(TWindowScale scale) {
    window_.Scale = scale;
    view_->SetScaleMode(ModeOf(scale));
    PlaceOverlays();
    if (QAction* action = scaleActions_[scale == TWindowScale::Fit ? 1 : 0]) action->setChecked(true);
}

// The window's keys are taken before the game's: the fullscreen key of the bindings (F11
// unless the player chose another; F11 itself where keys come without a scan code) and
// Alt+Enter toggle fullscreen, Esc leaves it (when no dialog is open; a dialog's keys do
// not reach the game's window).
bool MainWindow::WindowKey(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const int key = event->key();
    const uint8_t dik = DikOfKeyEvent(*event);
    const bool bound = dik ? form_->ActionOfKey(dik) == TAction::Fullscreen : key == Qt::Key_F11;
    const bool toggle = bound || ((key == Qt::Key_Return || key == Qt::Key_Enter) && mods == Qt::AltModifier);
    if (toggle) {
        if (!event->isAutoRepeat()) SetFullscreen(!isFullScreen());
        return true;
    }
    if (key == Qt::Key_Escape && mods == Qt::NoModifier && isFullScreen() &&
        !QApplication::activeModalWidget()) {
        SetFullscreen(false);
        return true;
    }
    return false;
}

// The window's size and mode, written when they changed since the start (a window never
// resized leaves the file as the game leaves it).
void MainWindow::SaveWindowSettings() {
    window_.Fullscreen = isFullScreen();
    if (window_ == windowRead_) return;
    try {
        WriteWindowSettings(form_->UserDir + "Settei.ini", window_, form_->UserFileToRead("Settei.ini"));
        windowRead_ = window_;
    } catch (const Exception& e) {
        std::fprintf(stderr, "himawari: %s\n", e.Message().c_str());
    }
}
