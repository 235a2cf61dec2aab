// Saves the game's two files while they are taken away from under it:
//   save_kill kill FOLDER KILLS   a child saves "record.dat" (the 3416-byte image) and
//                                 "Settei.ini" in a loop, alternating between two
//                                 contents; the parent kills it with SIGKILL at random
//                                 moments, KILLS times, and checks after every kill that
//                                 each file is whole: byte for byte the old or the new one.
//                                 Then the same for the top ten alone: "scores.ini" saved
//                                 in a loop (each save keeps the old one as .bak), KILLS
//                                 kills, each leaving a whole table, the old or the new.
//   save_kill full FOLDER         FOLDER lies on a file system with no room left: a save
//                                 must fail with the system's reason and keep the old file.
// Both end with the start-up clean-up of temporaries. Exit status 0 when every check held.
#include "base/Exception.h"
#include "base/SafeFile.h"
#include "base/Stream.h"
#include "game/SaveImage.h"
#include "game/ScoreFile.h"
#include "music/BgmSettings.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

const std::vector<std::string> WrittenNames = {"record.dat", "Settei.ini", "scores.ini", "scores.ini.bak"};

TSaveImage Image(int32_t highScore, uint8_t fill) {
    TSaveImage image;
    std::vector<uint8_t> bytes(TSaveImage::Size, fill);
    image.LoadBytes(bytes.data(), bytes.size());
    image.SetHighScore(highScore);
    return image;
}

TBgmSettings Settings(bool random, const std::string& name) {
    return TBgmSettings{true, random, name, "/home/player/music/" + name};
}

std::vector<uint8_t> Contents(const std::string& path) {
    return std::filesystem::exists(path) ? ReadWholeFile(path) : std::vector<uint8_t>{};
}

int Temporaries(const std::string& folder) {
    int n = 0;
    for (const auto& e : std::filesystem::directory_iterator(folder)) {
        const std::string f = e.path().filename().string();
        for (const std::string& name : WrittenNames)
            if (IsTemporaryOf(f, name)) ++n;
    }
    return n;
}

// Writes both files over and over, old and new in turn, until killed.
[[noreturn]] void SaveForever(const std::string& record, const std::string& settings,
                              const std::vector<TSaveImage>& images, const std::vector<TBgmSettings>& ini) {
    for (size_t i = 0;; ++i) {
        images[i % 2].WriteToFile(record);
        WriteBgmSettings(settings, ini[i % 2]);
    }
}

TScoreTable Scores(int32_t best) {
    TScoreTable t;
    for (int i = 0; i < 10; ++i)
        t.Insert(TScoreEntry{best - i, 30, 600000u + i, 1796000000 + i, "はむ" + std::to_string(i)});
    return t;
}

// The top ten saved over and over, old and new in turn, killed KILLS times: the table and
// its .bak are each the old or the new one, whole, after every kill.
int KillScores(const std::string& folder, int kills) {
    const std::string path = folder + "/scores.ini";
    const std::vector<TScoreTable> tables = {Scores(80000), Scores(90000)};
    const std::vector<std::string> ok = {tables[0].Format(), tables[1].Format()};
    SaveScoreTable(path, tables[0]);
    std::mt19937 random(20261209);
    int bad = 0, backupBad = 0, fresh = 0, leftBehind = 0;
    for (int k = 0; k < kills; ++k) {
        const pid_t child = fork();
        if (child < 0) return std::perror("fork"), 2;
        if (child == 0)
            for (size_t i = 1;; ++i) SaveScoreTable(path, tables[i % 2]);
        usleep(1000 + random() % 20000);
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        const auto t = Contents(path), b = Contents(path + ".bak");
        const std::string table(t.begin(), t.end()), backup(b.begin(), b.end());
        TScoreTable read;
        std::string why;
        const bool tOk = (table == ok[0] || table == ok[1]) && ParseScoreFile(table, read, why);
        const bool bOk = b.empty() || backup == ok[0] || backup == ok[1];
        bad += !tOk;
        backupBad += !bOk;
        fresh += table == ok[1];
        if (!tOk || !bOk)
            std::printf("kill %d: scores.ini %s (%zu bytes), its .bak %s\n", k + 1, tOk ? "whole" : "DAMAGED",
                        t.size(), bOk ? "whole" : "DAMAGED");
        leftBehind += Temporaries(folder);
        RemoveStaleTemporaries(folder, WrittenNames);
    }
    std::printf("%d kills: scores.ini whole after %d (%d the new table), scores.ini.bak whole after %d; %d "
                "temporaries left behind, removed at start-up\n",
                kills, kills - bad, fresh, kills - backupBad, leftBehind);
    return bad == 0 && backupBad == 0 && Temporaries(folder) == 0 ? 0 : 1;
}

int Kill(const std::string& folder, int kills) {
    const std::string record = folder + "/record.dat", settings = folder + "/Settei.ini";
    const std::vector<TSaveImage> images = {Image(1111, 0x11), Image(2222, 0x22)};
    const std::vector<TBgmSettings> ini = {Settings(false, "old.mp3"), Settings(true, "new.mid")};
    images[0].WriteToFile(record);
    WriteBgmSettings(settings, ini[0]);
    std::vector<std::vector<uint8_t>> recordOk, settingsOk;
    for (int i = 0; i < 2; ++i) {
        recordOk.push_back(std::vector<uint8_t>(images[i].Bytes().begin(), images[i].Bytes().end()));
        WriteBgmSettings(settings, ini[i]);
        settingsOk.push_back(Contents(settings));
    }
    std::mt19937 random(20261208);
    int recordBad = 0, settingsBad = 0, leftBehind = 0, removed = 0, recordNew = 0, settingsNew = 0;
    for (int k = 0; k < kills; ++k) {
        const pid_t child = fork();
        if (child < 0) return std::perror("fork"), 2;
        if (child == 0) SaveForever(record, settings, images, ini);
        usleep(1000 + random() % 20000); // a save is a few hundred microseconds long
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        const auto r = Contents(record), s = Contents(settings);
        const bool rOk = r == recordOk[0] || r == recordOk[1], sOk = s == settingsOk[0] || s == settingsOk[1];
        recordNew += r == recordOk[1];
        settingsNew += s == settingsOk[1];
        recordBad += !rOk;
        settingsBad += !sOk;
        if (!rOk || !sOk) {
            std::printf("kill %d: record.dat %s (%zu bytes), Settei.ini %s (%zu bytes)\n", k + 1,
                        rOk ? "whole" : "DAMAGED", r.size(), sOk ? "whole" : "DAMAGED", s.size());
        }
        const int left = Temporaries(folder);
        leftBehind += left;
        // What the next start-up does.
        removed += RemoveStaleTemporaries(folder, WrittenNames);
        if (Temporaries(folder) != 0)
            return std::printf("kill %d: a temporary survived the clean-up\n", k + 1), 1;
    }
    std::printf(
        "%d kills: record.dat whole after %d (%d the new image), Settei.ini whole after %d (%d the new "
        "one); %d temporaries left behind by the kills, %d removed at start-up\n",
        kills, kills - recordBad, recordNew, kills - settingsBad, settingsNew, leftBehind, removed);
    return recordBad == 0 && settingsBad == 0 && removed == leftBehind ? 0 : 1;
}

// Fills what is left of the folder's file system.
void FillUp(const std::string& folder) {
    std::FILE* f = std::fopen((folder + "/filler").c_str(), "wb");
    if (!f) return;
    std::vector<char> block(4096, 'x');
    while (std::fwrite(block.data(), 1, block.size(), f) == block.size()) {
    }
    std::fclose(f);
    // The last partial block may still fit: take single bytes until nothing does.
    f = std::fopen((folder + "/filler2").c_str(), "wb");
    if (!f) return;
    std::setvbuf(f, nullptr, _IONBF, 0);
    while (std::fputc('x', f) != EOF) {
    }
    std::fclose(f);
}

int Full(const std::string& folder) {
    const std::string record = folder + "/record.dat", settings = folder + "/Settei.ini";
    const TSaveImage old = Image(1111, 0x11);
    old.WriteToFile(record);
    WriteBgmSettings(settings, Settings(false, "old.mp3"));
    const auto recordBefore = Contents(record), settingsBefore = Contents(settings);
    FillUp(folder);
    int failures = 0;
    const auto attempt = [&](const char* what, const std::function<void()>& save) {
        try {
            save();
            std::printf("%s: the save reported success on a full disk\n", what);
            ++failures;
        } catch (const Exception& e) {
            std::printf("%s: refused: %s\n", what, e.Message().c_str());
        }
    };
    attempt("record.dat", [&] { Image(2222, 0x22).WriteToFile(record); });
    attempt("Settei.ini", [&] { WriteBgmSettings(settings, Settings(true, "new.mid")); });
    const bool recordKept = Contents(record) == recordBefore,
               settingsKept = Contents(settings) == settingsBefore;
    std::printf("record.dat %s, Settei.ini %s, %d temporaries left\n",
                recordKept ? "kept byte for byte" : "CHANGED",
                settingsKept ? "kept byte for byte" : "CHANGED", Temporaries(folder));
    return failures == 0 && recordKept && settingsKept && Temporaries(folder) == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 2 ? argv[1] : "";
    if (mode == "kill" && argc == 4) {
        const int files = Kill(argv[2], std::atoi(argv[3]));
        const int scores = KillScores(argv[2], std::atoi(argv[3]));
        return files != 0 ? files : scores;
    }
    if (mode == "full" && argc == 3) return Full(argv[2]);
    std::fprintf(stderr, "usage: save_kill kill FOLDER KILLS | save_kill full FOLDER\n");
    return 2;
}
