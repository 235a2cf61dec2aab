#include "app/SettingsDialog.h"

#include "app/KeyCodes.h"
#include "base/Translate.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const char* const Waiting[2] = {TrNoop("キーを押してください"), TrNoop("ボタンを押してください")};
constexpr const char* Columns[4] = {TrNoop("キー 1"), TrNoop("キー 2"), TrNoop("パッド 1"),
                                    TrNoop("パッド 2")};
constexpr const char* VolumeNames[3] = {TrNoop("全体"), TrNoop("BGM"), TrNoop("効果音")};

QString Text(const std::string& s) {
    return QString::fromStdString(s);
}

bool IsPadColumn(int column) {
    return column >= 2;
}

} // namespace

SettingsDialog::SettingsDialog(const TGameSettings& settings,
                               std::function<void(const TSoundOptions&)> preview, QWidget* parent)
    : QDialog(parent), settings_(settings), preview_(std::move(preview)) {
    setWindowTitle(QString::fromUtf8(Tr("設定")));
    auto* layout = new QVBoxLayout(this);
    pages_ = new QTabWidget(this);
    pages_->addTab(MakeKeysPage(), QString::fromUtf8(Tr("キー(&K)")));
    pages_->addTab(MakeSoundPage(), QString::fromUtf8(Tr("サウンド(&S)")));
    pages_->addTab(MakeLanguagePage(), QString::fromUtf8(Tr("言語(&L)")));
    layout->addWidget(pages_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QString::fromUtf8(Tr("OK")));
    buttons->button(QDialogButtonBox::Cancel)->setText(QString::fromUtf8(Tr("キャンセル")));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    ShowBindings();
    Cell(TAction::Up, 0)->setFocus();
}

SettingsDialog::~SettingsDialog() {
    qApp->removeEventFilter(this);
}

QPushButton* SettingsDialog::Cell(TAction action, int column) const {
    return cells_[static_cast<size_t>(action)][static_cast<size_t>(column)];
}

QWidget* SettingsDialog::MakeKeysPage() {
    auto* page = new QWidget(this);
    auto* grid = new QGridLayout(page);
    for (int c = 0; c < 4; ++c)
        grid->addWidget(new QLabel(QString::fromUtf8(Tr(Columns[c])), page), 0, c + 1);
    for (int a = 0; a < ActionCount; ++a) {
        const auto action = static_cast<TAction>(a);
        grid->addWidget(new QLabel(QString::fromUtf8(Tr(ActionCaption(action))), page), a + 1, 0);
        for (int c = 0; c < 4; ++c) {
            auto* cell = new QPushButton(page);
            cell->setMinimumWidth(110);
            // Space (or south on a pad) captures; Enter is the dialog's OK, as in every dialog.
            cell->setAutoDefault(false);
            cell->setToolTip(QString::fromUtf8(Tr("Space で変更、Delete で消去")));
            cell->installEventFilter(this);
            connect(cell, &QPushButton::clicked, this, [this, action, c] { StartCapture(action, c); });
            cells_[static_cast<size_t>(a)][static_cast<size_t>(c)] = cell;
            grid->addWidget(cell, a + 1, c + 1);
        }
    }
    message_ = new QLabel(page);
    message_->setWordWrap(true);
    grid->addWidget(message_, ActionCount + 1, 0, 1, 5);
    auto* defaults = new QPushButton(QString::fromUtf8(Tr("初期設定に戻す(&D)")), page);
    defaults->setAutoDefault(false);
    connect(defaults, &QPushButton::clicked, this, [this] {
        EndCapture();
        settings_.Keys = TKeyBindings::Defaults();
        message_->clear();
        ShowBindings();
    });
    grid->addWidget(defaults, ActionCount + 2, 0, 1, 2);
    return page;
}

QWidget* SettingsDialog::MakeSoundPage() {
    auto* page = new QWidget(this);
    auto* grid = new QGridLayout(page);
    const int32_t values[3] = {settings_.Sound.Master, settings_.Sound.Music, settings_.Sound.Effects};
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(QString::fromUtf8(Tr(VolumeNames[i])), page);
        auto* slider = new QSlider(Qt::Horizontal, page);
        slider->setRange(0, 100);
        slider->setSingleStep(5);
        slider->setPageStep(10);
        slider->setValue(values[i]);
        slider->setMinimumWidth(240);
        label->setBuddy(slider);
        percents_[static_cast<size_t>(i)] = new QLabel(page);
        sliders_[static_cast<size_t>(i)] = slider;
        connect(slider, &QSlider::valueChanged, this, [this] { SoundChanged(); });
        grid->addWidget(label, i, 0);
        grid->addWidget(slider, i, 1);
        grid->addWidget(percents_[static_cast<size_t>(i)], i, 2);
    }
    mute_ = new QCheckBox(QString::fromUtf8(Tr("消音(&M)")), page);
    mute_->setChecked(settings_.Sound.Muted);
    connect(mute_, &QCheckBox::toggled, this, [this] { SoundChanged(); });
    grid->addWidget(mute_, 3, 0, 1, 3);
    grid->setRowStretch(4, 1);
    for (int i = 0; i < 3; ++i) percents_[static_cast<size_t>(i)]->setText(QString::number(values[i]) + " %");
    return page;
}

QWidget* SettingsDialog::MakeLanguagePage() {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    language_ = new QComboBox(page);
    // Each language by its own name, the game's own language first, then every language
    // it is translated into.
    language_->addItem(QString::fromUtf8(Tr("自動")), QStringLiteral("auto"));
    language_->addItem(QStringLiteral("日本語"), QString::fromUtf8(SourceLanguage));
    for (const std::string& code : TranslatedLanguages()) {
        const QString name = code == "en" ? QStringLiteral("English")
                                          : QLocale(QString::fromStdString(code)).nativeLanguageName();
        language_->addItem(name.isEmpty() ? QString::fromStdString(code) : name,
                           QString::fromStdString(code));
    }
    language_->setCurrentIndex(std::max(0, language_->findData(QString::fromStdString(settings_.Language))));
    connect(language_, &QComboBox::currentIndexChanged, this,
            [this](int index) { settings_.Language = language_->itemData(index).toString().toStdString(); });
    auto* note = new QLabel(QString::fromUtf8(Tr("言語は次の起動から変わります。")), page);
    layout->addWidget(language_);
    layout->addWidget(note);
    layout->addStretch(1);
    return page;
}

void SettingsDialog::ShowBindings() {
    for (int a = 0; a < ActionCount; ++a) {
        const TBinding& b = settings_.Keys.Of(static_cast<TAction>(a));
        for (int c = 0; c < 4; ++c) {
            const std::string name = IsPadColumn(c) ? PadButtonName(b.Pads[static_cast<size_t>(c - 2)])
                                                    : KeyName(b.Keys[static_cast<size_t>(c)]);
            Cell(static_cast<TAction>(a), c)->setText(name.empty() ? QStringLiteral("-") : Text(name));
        }
    }
}

void SettingsDialog::StartCapture(TAction action, int column) {
    EndCapture();
    capturing_ = std::make_pair(action, column);
    Cell(action, column)->setText(QString::fromUtf8(Tr(Waiting[IsPadColumn(column) ? 1 : 0])));
    message_->setText(QString::fromUtf8(Tr("Esc で取り消し")));
    qApp->installEventFilter(this);
}

void SettingsDialog::EndCapture() {
    if (!capturing_) return;
    capturing_.reset();
    qApp->removeEventFilter(this);
    ShowBindings();
}

// A key or button for the cell being captured: refused, with the action named, when
// another action holds it.
void SettingsDialog::Take(TAction action, int column, uint8_t key, TPadButton button) {
    const std::optional<TAction> holder = IsPadColumn(column)
                                              ? settings_.Keys.SetPad(action, column - 2, button)
                                              : settings_.Keys.SetKey(action, column, key);
    EndCapture();
    if (holder)
        message_->setText(QString::fromUtf8(Tr("「%1」が使っています。"))
                              .arg(QString::fromUtf8(Tr(ActionCaption(*holder)))));
    else
        message_->clear();
    ShowBindings();
}

bool SettingsDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
        return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (capturing_) {
        // Every key goes to the capture, the shortcuts included.
        if (event->type() == QEvent::ShortcutOverride) {
            event->accept();
            return true;
        }
        if (key->isAutoRepeat()) return true;
        const auto [action, column] = *capturing_;
        if (key->key() == Qt::Key_Escape) {
            EndCapture();
            message_->clear();
        } else if (!IsPadColumn(column)) {
            if (const uint8_t dik = DikOfKeyEvent(*key)) Take(action, column, dik, TPadButton::None);
        }
        return true;
    }
    // Delete on a cell clears it.
    if (event->type() == QEvent::KeyPress && key->key() == Qt::Key_Delete) {
        for (int a = 0; a < ActionCount; ++a)
            for (int c = 0; c < 4; ++c)
                if (watched == Cell(static_cast<TAction>(a), c)) {
                    Take(static_cast<TAction>(a), c, 0, TPadButton::None);
                    return true;
                }
    }
    return QDialog::eventFilter(watched, event);
}

void SettingsDialog::SoundChanged() {
    int32_t* values[3] = {&settings_.Sound.Master, &settings_.Sound.Music, &settings_.Sound.Effects};
    for (size_t i = 0; i < 3; ++i) {
        *values[i] = sliders_[i]->value();
        percents_[i]->setText(QString::number(*values[i]) + " %");
    }
    settings_.Sound.Muted = mute_->isChecked();
    if (preview_) preview_(settings_.Sound);
}

void SettingsDialog::MoveFocus(bool forward, int step) {
    QWidget* focus = QApplication::focusWidget();
    if (auto* slider = qobject_cast<QSlider*>(focus); slider && step != 0) {
        slider->setValue(slider->value() + step * slider->singleStep());
        return;
    }
    if (auto* list = qobject_cast<QComboBox*>(focus); list && step != 0) {
        list->setCurrentIndex(std::clamp(list->currentIndex() + step, 0, list->count() - 1));
        return;
    }
    focusNextPrevChild(forward);
}

void SettingsDialog::PadPressed(TPadButton button) {
    if (capturing_) {
        const auto [action, column] = *capturing_;
        if (IsPadColumn(column))
            Take(action, column, 0, button);
        else if (button == TPadButton::East) {
            EndCapture();
            message_->clear();
        }
        return;
    }
    switch (button) {
    case TPadButton::DpadUp:
        MoveFocus(false, 0);
        break;
    case TPadButton::DpadDown:
        MoveFocus(true, 0);
        break;
    case TPadButton::DpadLeft:
        MoveFocus(false, -1);
        break;
    case TPadButton::DpadRight:
        MoveFocus(true, 1);
        break;
    case TPadButton::South:
        if (auto* b = qobject_cast<QAbstractButton*>(QApplication::focusWidget()))
            b->click();
        else
            accept();
        break;
    case TPadButton::East:
        reject();
        break;
    case TPadButton::Start:
        accept();
        break;
    case TPadButton::LeftShoulder:
    case TPadButton::RightShoulder: {
        const int step = button == TPadButton::LeftShoulder ? -1 : 1;
        pages_->setCurrentIndex((pages_->currentIndex() + step + pages_->count()) % pages_->count());
        break;
    }
    default:
        break;
    }
}
