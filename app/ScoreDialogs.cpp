#include "app/ScoreDialogs.h"

#include "base/Translate.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

constexpr int MaxNameChars = 16;

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

QValidator::State ScoreNameValidator::validate(QString& input, int&) const {
    const QList<uint> chars = input.toUcs4();
    if (chars.size() > MaxNameChars) return Invalid;
    for (uint c : chars)
        if (QChar::category(static_cast<char32_t>(c)) == QChar::Other_Control || c == 0x2028 || c == 0x2029)
            return Invalid;
    return chars.isEmpty() ? Intermediate : Acceptable;
}

bool RunScoreNameDialog(QWidget* parent, std::string& name) {
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("ScoreNameDialog"));
    dialog.setWindowTitle(QString::fromUtf8(Tr(ScoreNameTitle)));
    auto* layout = new QVBoxLayout(&dialog);
    auto* label = new QLabel(
        QString::fromUtf8(Tr("ハイスコアに入りました。名前を入力してください（16文字まで）：")), &dialog);
    auto* edit = new QLineEdit(Q(name), &dialog);
    edit->setValidator(new ScoreNameValidator(edit));
    edit->setMaxLength(2 * MaxNameChars); // UTF-16 units; the validator counts characters
    edit->selectAll();
    label->setBuddy(edit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setDefault(true);
    QObject::connect(edit, &QLineEdit::textChanged, ok,
                     [edit, ok] { ok->setEnabled(edit->hasAcceptableInput()); });
    ok->setEnabled(edit->hasAcceptableInput());
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(label);
    layout->addWidget(edit);
    layout->addWidget(buttons);
    edit->setFocus();
    if (dialog.exec() != QDialog::Accepted || !edit->hasAcceptableInput()) return false;
    name = edit->text().toStdString();
    return true;
}

QString ScoreTableWindowTitle(const TScoreTableView& table) {
    QString title = QString::fromUtf8(Tr(ScoreTableTitle));
    if (table.Marked >= 0 && table.Marked < static_cast<int>(table.Rows.size()))
        title += QString::fromUtf8(Tr(" - %1位に入りました")).arg(table.Marked + 1);
    return title;
}

bool RunScoreTableDialog(QWidget* parent, const TScoreTableView& table) {
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("ScoreTableDialog"));
    dialog.setWindowTitle(ScoreTableWindowTitle(table));
    auto* layout = new QVBoxLayout(&dialog);
    const QStringList headers = {QString::fromUtf8(Tr("順位")),   QString::fromUtf8(Tr("名前")),
                                 QString::fromUtf8(Tr("スコア")), QString::fromUtf8(Tr("ステージ")),
                                 QString::fromUtf8(Tr("タイム")), QString::fromUtf8(Tr("日付"))};
    auto* grid =
        new QTableWidget(static_cast<int>(table.Rows.size()), static_cast<int>(headers.size()), &dialog);
    grid->setHorizontalHeaderLabels(headers);
    grid->verticalHeader()->hide();
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setTabKeyNavigation(false); // Tab goes on to the buttons
    for (int r = 0; r < static_cast<int>(table.Rows.size()); ++r) {
        const TScoreRow& row = table.Rows[static_cast<size_t>(r)];
        const std::string* cells[] = {&row.Rank, &row.Name, &row.Score, &row.Stage, &row.Time, &row.Date};
        for (int c = 0; c < 6; ++c) {
            auto* item = new QTableWidgetItem(Q(*cells[c]));
            if (c != 1 && c != 5) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (r == table.Marked) {
                QFont bold = item->font();
                bold.setBold(true);
                item->setFont(bold);
            }
            grid->setItem(r, c, item);
        }
    }
    grid->resizeColumnsToContents();
    grid->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch); // the name
    if (table.Marked >= 0) grid->selectRow(table.Marked);
    grid->setMinimumWidth(560);
    layout->addWidget(grid);
    if (table.Rows.empty())
        layout->addWidget(new QLabel(QString::fromUtf8(Tr("まだ記録がありません。")), &dialog));

    auto* buttons = new QDialogButtonBox(&dialog);
    QPushButton* clear =
        buttons->addButton(QString::fromUtf8(Tr("記録を消去(&C)")), QDialogButtonBox::ResetRole);
    QPushButton* close = buttons->addButton(QString::fromUtf8(Tr("閉じる")), QDialogButtonBox::RejectRole);
    clear->setEnabled(!table.Rows.empty());
    close->setDefault(true);
    bool clearAsked = false;
    QObject::connect(clear, &QPushButton::clicked, &dialog, [&] {
        clearAsked = true;
        dialog.accept();
    });
    QObject::connect(close, &QPushButton::clicked, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    grid->setFocus();
    dialog.resize(640, 380);
    dialog.exec();
    return clearAsked;
}
