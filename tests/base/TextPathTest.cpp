#include "base/Format.h"
#include "base/Paths.h"
#include "base/Sjis.h"
#include "base/Stream.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>

#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

TEST(Sjis, RoundTripsJapaneseAndAscii) {
    const std::string utf8 = "ひまわり畑の大脱走！ TIME 012\"03";
    const std::string sjis = Utf8ToSjis(utf8);
    // "ひ" is 0x82 0xD0 in Shift-JIS.
    ASSERT_GE(sjis.size(), 2u);
    EXPECT_EQ(static_cast<unsigned char>(sjis[0]), 0x82);
    EXPECT_EQ(static_cast<unsigned char>(sjis[1]), 0xD0);
    EXPECT_EQ(SjisToUtf8(sjis), utf8);
    // Plain ASCII is passed through as it is; the converter must agree on every byte of it
    // (after a Japanese letter, the text goes through the converter).
    std::string ascii;
    for (int c = 1; c < 0x80; ++c) ascii += static_cast<char>(c);
    EXPECT_EQ(Utf8ToSjis(ascii), ascii);
    EXPECT_EQ(Utf8ToSjis("ひ" + ascii), "\x82\xD0" + ascii);
    EXPECT_TRUE(IsSjisLeadByte(0x82));
    EXPECT_FALSE(IsSjisLeadByte('A'));
    EXPECT_FALSE(IsSjisLeadByte(0xA0)); // half-width katakana range is single-byte
}

TEST(Sjis, BadInputDegradesToQuestionMarks) {
    // A lone lead byte at the end and an unmappable character.
    EXPECT_EQ(SjisToUtf8(std::string("A\x82", 2)), "A?");
    EXPECT_EQ(Utf8ToSjis("a😀b"), "a?b");
    EXPECT_EQ(Utf8ToSjis(std::string("a\xff"
                                     "b",
                                     3)),
              "a?b");
    EXPECT_EQ(Utf8ToSjis(""), "");
}

TEST(Paths, DataNamesBecomeNativePathsBelowTheProgramFolder) {
    EXPECT_EQ(DataPath("/opt/game/", "Data\\record.dat"), "/opt/game/Data/record.dat");
    EXPECT_EQ(DataPath("/opt/game", "Data/Settei.ini"), "/opt/game/Data/Settei.ini");
    EXPECT_EQ(DataPath("/opt/game/", "/abs/x.mp3"), "/abs/x.mp3");
    EXPECT_EQ(ExtractFileName("/a/b/c.Mp3"), "c.Mp3");
    EXPECT_EQ(ExtractFileExt("/a.b/c"), "");
    EXPECT_EQ(ExtractFileExt("/a/b/c.MiD"), ".MiD");
    EXPECT_EQ(ExtractFilePath("/a/b/c.txt"), "/a/b/");
    const std::string dir = ExeDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '/');
    EXPECT_TRUE(DirectoryExists(dir));
}

// The portable layout while the program's Data folder may be written to; else the
// user's data folder, from XDG_DATA_HOME when it is an absolute path, else from HOME.
TEST(Paths, WrittenFilesGoToTheProgramsDataFolderOrTheUsersDataFolder) {
    TempDir dir;
    const auto keep = [](const char* name) {
        const char* v = std::getenv(name);
        return v ? std::optional<std::string>(v) : std::nullopt;
    };
    const auto xdg = keep("XDG_DATA_HOME"), home = keep("HOME");
    setenv("XDG_DATA_HOME", (dir.Dir() + "share").c_str(), 1);
    EXPECT_EQ(UserDataDir(dir.Dir()), dir.Dir() + "share/himawari/") << "no Data folder to write to";
    std::filesystem::create_directories(dir.Path() / "Data");
    EXPECT_EQ(UserDataDir(dir.Dir()), dir.Dir() + "Data/");
    setenv("XDG_DATA_HOME", (dir.Dir() + "share/").c_str(), 1);
    EXPECT_EQ(XdgDataDir(), dir.Dir() + "share/himawari/");
    setenv("HOME", "/home/player/", 1);
    setenv("XDG_DATA_HOME", "relative/share", 1);
    EXPECT_EQ(XdgDataDir(), "/home/player/.local/share/himawari/");
    unsetenv("XDG_DATA_HOME");
    setenv("HOME", "/home/player", 1);
    EXPECT_EQ(XdgDataDir(), "/home/player/.local/share/himawari/");
    for (const auto& [name, value] : {std::pair{"XDG_DATA_HOME", xdg}, std::pair{"HOME", home}}) {
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }
}

namespace {

// Sets environment variables for one test and puts the old values back after it.
class EnvKept {
public:
    void Set(const char* name, const char* value) {
        if (!kept_.count(name)) {
            const char* v = std::getenv(name);
            kept_[name] = v ? std::optional<std::string>(v) : std::nullopt;
        }
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~EnvKept() {
        for (const auto& [name, value] : kept_) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
    }

private:
    std::map<std::string, std::optional<std::string>> kept_;
};

// What a child process answers on a pipe; the child exits at once after.
std::string InChild(const std::function<std::string()>& body) {
    int fds[2];
    if (pipe(fds) != 0) return "(no pipe)";
    const pid_t child = fork();
    if (child == 0) {
        const std::string answer = body();
        (void)!write(fds[1], answer.data(), answer.size());
        _exit(0);
    }
    close(fds[1]);
    std::string answer;
    char buf[256];
    for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;) answer.append(buf, static_cast<size_t>(n));
    close(fds[0]);
    waitpid(child, nullptr, 0);
    return answer;
}

} // namespace

// The program's own Data folder keeps the files only when the player owns it and may
// write it: root playing an installed game under sudo keeps them in root's data folder,
// not in the folder every other user then reads.
TEST(Paths, TheProgramsFolderIsUsedOnlyWhenThePlayerOwnsIt) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to hand folders to other users";
    TempDir dir;
    EnvKept env;
    env.Set("XDG_DATA_HOME", (dir.Dir() + "share").c_str());
    env.Set("SUDO_UID", nullptr);
    std::filesystem::create_directories(dir.Path() / "Data");
    EXPECT_EQ(UserDataDir(dir.Dir()), dir.Dir() + "Data/") << "root's own folder";
    env.Set("SUDO_UID", "54321");
    EXPECT_EQ(UserDataDir(dir.Dir()), dir.Dir() + "share/himawari/") << "an install run under sudo";
    ASSERT_EQ(chown((dir.Dir() + "Data").c_str(), 54321, 54321), 0);
    EXPECT_EQ(UserDataDir(dir.Dir()), dir.Dir() + "Data/") << "sudo from the player's own copy";
    env.Set("SUDO_UID", nullptr);
    EXPECT_EQ(UserDataDir(dir.Dir()), dir.Dir() + "share/himawari/") << "a folder root does not own";
    ASSERT_EQ(chown((dir.Dir() + "Data").c_str(), 0, 0), 0);
}

// With HOME empty the home folder comes from the user's passwd entry; a user without
// one has no data folder at all (never "/.local/share").
TEST(Paths, NoHomeFolderMeansNoUsersDataFolder) {
    EnvKept env;
    env.Set("XDG_DATA_HOME", nullptr);
    env.Set("HOME", "");
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir && pw->pw_dir[0]) {
        std::string home = pw->pw_dir;
        if (home.back() != '/') home += '/';
        EXPECT_EQ(XdgDataDir(), home + ".local/share/himawari/");
    }
    if (geteuid() != 0) GTEST_SKIP() << "needs root to play as a user without a passwd entry";
    TempDir dir;
    std::filesystem::permissions(dir.Path(), std::filesystem::perms::all);
    const std::string answer = InChild([&] {
        if (getpwuid(54329) || setgid(54329) != 0 || setuid(54329) != 0) return std::string("(no such user)");
        return "[" + XdgDataDir() + "][" + UserDataDir(dir.Dir()) + "]";
    });
    EXPECT_EQ(answer, "[][]");
}

// The user's data folder is made for the player alone (0700, as the base-directory
// convention asks), every missing level of it; a folder that cannot be made is said once.
TEST(Paths, TheUsersFolderIsMadePrivateAndAFailureIsSaidOnce) {
    TempDir dir;
    const std::string made = dir.Dir() + "share/himawari/";
    ASSERT_TRUE(MakeUserDataDir(made));
    for (const std::string& level : {dir.Dir() + "share", made}) {
        struct stat st {};
        ASSERT_EQ(stat(level.c_str(), &st), 0) << level;
        EXPECT_EQ(st.st_mode & 07777, 0700u) << level;
    }
    EXPECT_TRUE(MakeUserDataDir(made)) << "already there";
    dir.Write("file", std::string("x"));
    testing::internal::CaptureStderr();
    EXPECT_FALSE(MakeUserDataDir(dir.Dir() + "file/himawari/"));
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find(dir.Dir() + "file/himawari/"), std::string::npos) << said;
}

TEST(Format, PrintfPatternsAndAsciiCaseFolding) {
    EXPECT_EQ(Format("#%.5d | %s%s", 7, "  ", "msg"), "#00007 |   msg");
    EXPECT_EQ(Format("%s", ""), "");
    EXPECT_EQ(std::string(Format("%0300d", 1)).size(), 300u);
    EXPECT_EQ(AsciiLower("TateLine.BMP\xC4"), "tateline.bmp\xC4");
    EXPECT_TRUE(SameTextAscii("TATELINE.BMP", "TateLine.bmp"));
    EXPECT_FALSE(SameTextAscii("TateLine", "TateLine.bmp"));
}
