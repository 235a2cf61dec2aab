#include "app/QtHost.h"

#include "app/ScoreDialogs.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStringList>
#include <QUrl>

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// The game writes line breaks as "\r" (the native message box's convention).
QString MessageText(const std::string& text) {
    QString t = Q(text);
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QChar('\r'), QChar('\n'));
    return t;
}

} // namespace

QString QtFilter(const std::string& filter) {
    const QStringList parts = Q(filter).split(QChar('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QChar(';'), QChar(' '));
        out << parts[i] + QStringLiteral(" (") + patterns + QStringLiteral(")");
    }
    return out.join(QStringLiteral(";;"));
}

QtHost::QtHost(QWidget* window, const std::string& exeDir) : window_(window), exeDir_(exeDir) {}

QtHost::~QtHost() = default;

TForm2& QtHost::Form2() {
    if (!form2_) form2_ = std::make_unique<TForm2>(exeDir_, window_);
    return *form2_;
}

bool QtHost::AskYesNo(const std::string& text) {
    return QMessageBox::question(window_, window_->windowTitle(), MessageText(text),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) == QMessageBox::Yes;
}

void QtHost::ShowMessage(const std::string& text) {
    QMessageBox::information(window_, window_->windowTitle(), MessageText(text));
}

bool QtHost::OpenFile(const TOpenDialogOptions& options, std::string& fileName) {
    QString start = Q(options.InitialDir);
    if (!options.FileName.empty())
        start = start.isEmpty() ? Q(options.FileName) : start + "/" + Q(options.FileName);
    const QString chosen =
        QFileDialog::getOpenFileName(window_, Q(options.Title), start, QtFilter(options.Filter));
    if (chosen.isEmpty()) return false;
    fileName = chosen.toStdString();
    return true;
}

bool QtHost::BrowseFolder(const std::string& title, std::string& folder) {
    const QString chosen = QFileDialog::getExistingDirectory(window_, Q(title));
    if (chosen.isEmpty()) return false;
    folder = chosen.toStdString();
    return true;
}

bool QtHost::ShellOpen(const std::string& target) {
    const QString t = Q(target);
    const QUrl url = QFileInfo::exists(t) ? QUrl::fromLocalFile(t) : QUrl(t);
    return url.isValid() && QDesktopServices::openUrl(url);
}

void QtHost::ProcessMessages() {
    struct Depth {
        int& d;
        explicit Depth(int& depth) : d(depth) { ++d; }
        ~Depth() { --d; }
    } depth(depth_);
    QCoreApplication::processEvents();
}

void QtHost::ShowVersionDialog() {
    Form2().ShowModal();
}

bool QtHost::AskScoreName(std::string& name) {
    return RunScoreNameDialog(window_, name);
}

bool QtHost::ShowScoreTable(const TScoreTableView& table) {
    return RunScoreTableDialog(window_, table);
}

void QtHost::Close() {
    window_->close();
}
