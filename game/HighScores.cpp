#include "game/HighScores.h"

#include "base/Account.h"
#include "base/Exception.h"
#include "base/Translate.h"
#include "game/ScoreFile.h"

#include <cstdio>
#include <ctime>

namespace {

const char* const ClearQuestion = TrNoop("ハイスコアの記録をすべて消去しますか？");
const char* const NoAccountName = TrNoop("ハムスター");

std::string Thousands(int32_t score) {
    const std::string digits = std::to_string(score);
    std::string s;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) s += ',';
        s += digits[i];
    }
    return s;
}

} // namespace

void THighScores::Load(const std::string& path) {
    Path = path;
    LoadScoreTable(path, Table);
}

void THighScores::GameEnded(int32_t score, int32_t foods) {
    if (endTaken_) return;
    endTaken_ = true;
    if (score > ScoreBound(foods)) {
        std::fprintf(stderr,
                     "high scores: a score of %d is more than %d foods can give (at most %lld); "
                     "not entered\n",
                     score, foods, static_cast<long long>(ScoreBound(foods)));
        return;
    }
    if (!Table.Qualifies(score)) return;
    const int64_t now = WallClock ? WallClock() : static_cast<int64_t>(std::time(nullptr));
    pending_.push_back(TScoreEntry{score, foods, GameTime, now, {}});
}

std::string THighScores::PrefilledName() const {
    if (!Table.LastName.empty()) return Table.LastName;
    const std::string account = CleanScoreName(AccountName());
    return account.empty() ? std::string(Tr(NoAccountName)) : account;
}

void THighScores::OfferEntry() {
    if (pending_.empty()) return;
    // Taken first: ticks go on while the dialogs are open.
    TScoreEntry entry = pending_.front();
    pending_.pop_front();
    const std::string prefilled = PrefilledName();
    std::string name = prefilled;
    if (!Host.AskScoreName(name) || !ValidScoreName(name)) name = prefilled;
    entry.Name = name;
    Table.LastName = name;
    const int at = Table.Insert(entry);
    Save();
    if (at >= 0) ShowTable(at);
}

void THighScores::ShowTable(int marked) {
    while (Host.ShowScoreTable(View(marked))) {
        if (!Host.AskYesNo(Tr(ClearQuestion))) continue;
        Table.Clear();
        Save();
        marked = -1;
    }
}

void THighScores::GameSaved() {
    Table.SavedGameTime = GameTime;
    Save();
}

void THighScores::Save() {
    if (Path.empty()) return;
    try {
        SaveScoreTable(Path, Table);
    } catch (const Exception& e) {
        // The table stays in memory; the game goes on.
        std::fprintf(stderr, "high scores: %s\n", e.Message().c_str());
        Host.ShowMessage(e.Message());
    }
}

TScoreTableView THighScores::View(int marked) const {
    TScoreTableView view;
    view.Marked = marked;
    int rank = 0;
    for (const TScoreEntry& e : Table.Entries()) {
        ++rank;
        view.Rows.push_back(TScoreRow{std::to_string(rank), e.Name, Thousands(e.Score), StageText(e.Foods),
                                      GameTimeText(e.TimeMs), DateText(e.Date)});
    }
    return view;
}
