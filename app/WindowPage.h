#pragma once
// The settings dialog's 画面 page: the scaling of the game's picture (整数倍, each pixel
// an exact square of whole device pixels; 画面に合わせる, the largest fit, filtered) and
// fullscreen. It edits a copy of the window's settings; the window applies Result() when
// the dialog is confirmed. The size of the window is not on it: the window keeps the
// size it is given.
#include "ui/WindowSettings.h"

#include <QWidget>

class QCheckBox;
class QComboBox;

class WindowPage : public QWidget {
public:
    explicit WindowPage(const TWindowSettings& settings, QWidget* parent = nullptr);

    TWindowSettings Result() const;
    QComboBox* ScaleChoice() const { return scale_; }
    QCheckBox* FullscreenBox() const { return fullscreen_; }

private:
    TWindowSettings settings_;
    QComboBox* scale_ = nullptr;
    QCheckBox* fullscreen_ = nullptr;
};
