// The main window's menus, key and focus events and closing.
#include "app/KeyCodes.h"
#include "app/MainWindow.h"
#include "base/Translate.h"
#include "input/ScanCodes.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenuBar>

#include <algorithm>

namespace {

QString Caption(const TMenuItem& item) {
    return QString::fromStdString(item.Caption());
}

// Events after which the idle handler runs again: what a user does to the window.
bool WakesIdle(QEvent::Type t) {
    switch (t) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::Wheel:
    case QEvent::FocusIn:
    case QEvent::FocusOut:
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
    case QEvent::Enter:
    case QEvent::Leave:
    case QEvent::Expose:
    case QEvent::Show:
        return true;
    default:
        return false;
    }
}

} // namespace

// The menu bar mirrors the form's menu models: captions with their access keys,
// separators, enabled and checked states.
void MainWindow::BuildMenus() {
    TMainMenu& m = form_->MainMenu1;
    for (TMenuItem* top : m.TopItems()) {
        QMenu* menu = menuBar()->addMenu(Caption(*top));
        menus_.emplace_back(top, menu);
        for (TMenuItem* item : top->Items()) {
            if (item->IsSeparator()) {
                menu->addSeparator();
                continue;
            }
            QAction* action = menu->addAction(Caption(*item));
            actions_[item] = action;
            const std::string name = item->Name();
            connect(action, &QAction::triggered, this, [this, name] {
                ++commandDepth_;
                if (commands_) Guarded([&] { commands_->Click(name); });
                --commandDepth_;
                SyncMenus();
                SyncLifeBar();
                RestartIdle();
                if (closeDeferred_ && commandDepth_ == 0) {
                    closeDeferred_ = false;
                    close();
                }
            });
        }
    }
    // The BGM choices carry check marks.
    for (TMenuItem* item : {&m.Play, &m.Stop, &m.Yuyake, &m.Select, &m.R1})
        actions_[item]->setCheckable(true);
    SyncMenus();
}

// The window's own menu, before the help menu: fullscreen and the scaling mode. Like the
// game's menus it is closed in play (SyncMenus); its keys work all the time.
void MainWindow::BuildViewMenu() {
    auto* menu = viewMenu_ = new QMenu(QString::fromUtf8(Tr("表示(&V)")), this);
    QAction* before = menus_.empty() ? nullptr : menus_.back().second->menuAction();
    menuBar()->insertMenu(before, menu);
    fullscreenAction_ = menu->addAction(QString());
    fullscreenAction_->setCheckable(true);
    SyncFullscreenCaption();
    connect(fullscreenAction_, &QAction::triggered, this, [this](bool on) { SetFullscreen(on); });
    menu->addSeparator();
    auto* modes = new QActionGroup(menu);
    const std::pair<TWindowScale, QString> choices[] = {
        {TWindowScale::WholeNumber, QString::fromUtf8(Tr("整数倍(&I)"))},
        {TWindowScale::Fit, QString::fromUtf8(Tr("画面に合わせる(&A)"))}};
    for (const auto& [scale, caption] : choices) {
        QAction* action = menu->addAction(caption);
        action->setCheckable(true);
        action->setChecked(window_.Scale == scale);
        modes->addAction(action);
        scaleActions_[scale == TWindowScale::Fit ? 1 : 0] = action;
        connect(action, &QAction::triggered, this, [this, scale = scale] { SetScaleMode(scale); });
    }
}

// The item names the fullscreen key the bindings give (none when it has none).
void MainWindow::SyncFullscreenCaption() {
    if (!fullscreenAction_) return;
    const TBinding& b = form_->Settings.Keys.Of(TAction::Fullscreen);
    const std::string key = KeyName(b.Keys[0] ? b.Keys[0] : b.Keys[1]);
    QString caption = QString::fromUtf8(Tr("全画面表示(&F)"));
    if (!key.empty()) caption += QStringLiteral("\t") + QString::fromStdString(key);
    fullscreenAction_->setText(caption);
}

void MainWindow::SyncMenus() {
    for (auto& [item, menu] : menus_) {
        menu->setTitle(Caption(*item));
        menu->menuAction()->setEnabled(item->Enabled());
    }
    if (viewMenu_) viewMenu_->menuAction()->setEnabled(form_->MainMenu1.H1.Enabled());
    for (auto& [item, action] : actions_) {
        action->setText(Caption(*item));
        action->setEnabled(item->Enabled());
        if (action->isCheckable()) action->setChecked(item->Checked());
    }
}

// Key preview: every key press reaches the form's key-down handler, whatever has the
// focus, auto-repeats included; presses and releases (not repeats) feed the keyboard
// device the movement keys are polled from.
bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type t = event->type();
    if (WakesIdle(t)) RestartIdle();
    // A key event passes the filter once per widget on its way up to the window: it is
    // taken where it starts, at the focus widget.
    QWidget* focus = QApplication::focusWidget();
    if ((t == QEvent::KeyPress || t == QEvent::KeyRelease) && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this && watched == (focus ? focus : this)) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (t == QEvent::KeyPress && WindowKey(key)) return true;
        if (t == QEvent::KeyPress)
            KeyPressed(key);
        else
            KeyReleased(key);
    }
    if (watched == view_ && t == QEvent::Resize) {
        PlaceOverlays();
        // The size kept is the window's own, not fullscreen's or maximised's.
        if (!isFullScreen() && !isMaximized()) {
            window_.Width = std::min(view_->width(), TWindowSettings::MaxSide);
            window_.Height = std::min(view_->height(), TWindowSettings::MaxSide);
        }
    }
    if (t == QEvent::ApplicationStateChange || t == QEvent::WindowActivate || t == QEvent::WindowDeactivate) {
        if (watched == this) {
            input_.FocusChanged(isActiveWindow());
            if (pause_->ActiveChanged(isActiveWindow())) RestartIdle();
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// A key with a scan code plays the action the bindings give it (決定 and ハムスター回転
// auto-repeat as Enter and Space always did); one without (platforms that give none)
// reaches the form as its window key code.
void MainWindow::KeyPressed(QKeyEvent* event) {
    const uint8_t dik = DikOfKeyEvent(*event);
    if (!event->isAutoRepeat() && dik) input_.Keyboard().KeyCodeDown(dik);
    if (dik && created_) {
        if (const std::optional<TAction> action = form_->ActionOfKey(dik))
            ActionPressed(*action, event->isAutoRepeat());
    } else if (created_) {
        uint16_t vk = VirtualKeyFromQt(event->key(), (event->modifiers() & Qt::KeypadModifier) != 0);
        if (vk != 0) Guarded([&] { form_->FormKeyDown(vk); });
    }
    SyncMenus();
    SyncLifeBar();
}

void MainWindow::ActionPressed(TAction action, bool repeat) {
    if (closing_) return;
    switch (action) {
    case TAction::Confirm:
    case TAction::Turn:
        Guarded([&] { form_->ActionDown(action); });
        break;
    case TAction::Pause:
        if (!repeat && pause_->KeyPressed()) RestartIdle();
        break;
    case TAction::Mute:
        if (!repeat) Guarded([&] { form_->ActionDown(action); });
        break;
    case TAction::Fullscreen: // a pad's button; the key is the window's (WindowKey)
        if (!repeat) SetFullscreen(!isFullScreen());
        break;
    default:
        break;
    }
}

void MainWindow::KeyReleased(QKeyEvent* event) {
    if (event->isAutoRepeat()) return;
    if (const uint8_t dik = DikOfKeyEvent(*event)) input_.Keyboard().KeyCodeUp(dik);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!created_) {
        event->accept();
        return;
    }
    // A close that arrives while a menu command lets pending events through (after its
    // dialog, before scanning a folder or opening a track) waits for the command to
    // end: the settings written then hold what the command chose, and no track starts
    // after the music has been released.
    if (commandDepth_ > 0) {
        closeDeferred_ = true;
        event->ignore();
        return;
    }
    closing_ = true;
    bool canClose = true;
    const bool ok = Guarded([&] {
        if (commands_) canClose = commands_->FormCloseQuery();
    });
    if (!ok || !canClose) {
        closing_ = false;
        event->ignore();
        RestartIdle();
        return;
    }
    Guarded([&] {
        if (commands_) commands_->FormClose();
    });
    SaveWindowSettings();
    idle_.stop();
    if (gamepads_) gamepads_->Stop();
    event->accept();
}
