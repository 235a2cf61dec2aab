#include "app/WindowPage.h"

#include "base/Translate.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>

WindowPage::WindowPage(const TWindowSettings& settings, QWidget* parent)
    : QWidget(parent), settings_(settings) {
    auto* form = new QFormLayout(this);
    scale_ = new QComboBox(this);
    scale_->addItem(QString::fromUtf8(Tr("整数倍")));
    scale_->addItem(QString::fromUtf8(Tr("画面に合わせる")));
    scale_->setCurrentIndex(settings.Scale == TWindowScale::Fit ? 1 : 0);
    form->addRow(QString::fromUtf8(Tr("拡大(&S)")), scale_);
    fullscreen_ = new QCheckBox(QString::fromUtf8(Tr("全画面表示(&F)")), this);
    fullscreen_->setChecked(settings.Fullscreen);
    form->addRow(fullscreen_);
}

TWindowSettings WindowPage::Result() const {
    TWindowSettings result = settings_;
    result.Scale = scale_->currentIndex() == 1 ? TWindowScale::Fit : TWindowScale::WholeNumber;
    result.Fullscreen = fullscreen_->isChecked();
    return result;
}
