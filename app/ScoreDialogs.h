#pragma once
// The top ten's two dialogs: the name entry of a game that made the table and the
// table itself, both usable with the keys alone.
#include "base/Translate.h"
#include "ui/Host.h"

#include <QString>
#include <QValidator>
#include <QWidget>

#include <string>

// 1 to 16 characters and no control characters; an empty text is Intermediate (the
// player is still typing), so the OK button follows Acceptable.
class ScoreNameValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;
};

constexpr const char* ScoreNameTitle = TrNoop("ハイスコア - 名前の入力");
constexpr const char* ScoreTableTitle = TrNoop("ハイスコア");

// The name entry, opened with name: Enter confirms a valid name (true, name set), Esc
// leaves it as it was (false).
bool RunScoreNameDialog(QWidget* parent, std::string& name);
// The table with the marked row selected; true when "記録を消去" was pressed.
bool RunScoreTableDialog(QWidget* parent, const TScoreTableView& table);
// The title of the table's window: "ハイスコア", with the new entry's rank when one is marked.
QString ScoreTableWindowTitle(const TScoreTableView& table);
