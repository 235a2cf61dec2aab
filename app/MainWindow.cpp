#include "app/MainWindow.h"

#include "app/BenchHooks.h"
#include "app/Desktop.h"
#include "app/KeyCodes.h"
#include "base/Clock.h"
#include "base/Exception.h"
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

#include <cstdio>
#include <filesystem>

namespace {

// How long the start-up's later work waits for the first frame at most.
constexpr int FirstFrameWaitMs = 1000;

} // namespace

MainWindow::MainWindow(const std::string& exeDir, bool useOpenGL, uint32_t maxTextureSize,
                       GlContextSource glContext)
    : exeDir_(exeDir), input_(std::make_unique<SdlControllers>()) {
    setWindowTitle(QString::fromUtf8(Tr("ひまわり畑の大脱走！")));
    // A single border: no resizing, no maximise box.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    std::function<std::shared_ptr<IRenderDriver>()> driver;
    GlView* gl = nullptr;
    if (useOpenGL) {
        gl = new GlView(this, maxTextureSize, std::move(glContext));
        driver = [gl] { return gl->CreateDriver(); };
        gl->OnFramePresented([this] { FramePresented(); });
        view_ = gl;
    } else {
        auto* sw = new SoftwareView(this);
        driver = [sw] { return sw->CreateDriver(); };
        sw->OnFramePresented([this] { FramePresented(); });
        view_ = sw;
    }
    view_->setFixedSize(ClientSize);
    view_->setFocusPolicy(Qt::StrongFocus);
    setCentralWidget(view_);
    owner_ = std::make_unique<WindowOwner>(view_, std::move(driver));
    host_ = std::make_unique<QtHost>(this, exeDir_);
    TFormPlatform platform;
    platform.Owner = owner_.get();
    platform.Input = &input_;
    form_ = std::make_unique<TForm1>(clock_, *host_, exeDir_, std::move(platform));
    form_->SetMusicClock(&SystemClock::Instance());
    // The saved game and the settings go where the player may write; a folder that
    // cannot be made is reported by the first write into it.
    form_->UserDir = UserDataDir(exeDir_);
    std::error_code ec;
    std::filesystem::create_directories(form_->UserDir, ec);
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
    mouseFeed_ = FeedMouseFrom(view_, input_.Mouse()); // the view and all on it

    MakePause(gl);
    BuildMenus();
    layout()->setSizeConstraint(QLayout::SetFixedSize);

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
        [this](uint16_t vk) {
            if (created_ && !closing_) Guarded([&] { form_->FormKeyDown(vk); });
            SyncMenus();
            SyncLifeBar();
            RestartIdle();
        },
        [this] { RestartIdle(); });
    gamepads_->SetDeadZone(form_->Components.DDIDEX1->DeadZone());
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
}

void MainWindow::ShowCentred() {
    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        QRect frame = frameGeometry();
        frame.moveCenter(area.center());
        move(frame.topLeft());
    }
    show();
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
    // Not due yet: wait for the next message (RestartIdle) or the moment the tick is
    // due, whichever comes first, instead of calling the handler again in a spin.
    idle_.start(static_cast<int>(form_->MsUntilNextTick()));
}

void MainWindow::RestartIdle() {
    if (created_ && !closing_ && !pause_->Paused() && (!idle_.isActive() || idle_.interval() != 0))
        idle_.start(0);
}

void MainWindow::SyncLifeBar() {
    lifeBar_->setValue(form_->PBLife.Position());
}
