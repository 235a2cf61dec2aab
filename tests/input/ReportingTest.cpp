#include "ScriptedInput.h"
#include "base/Stream.h"
#include "input/Ddidex.h"
#include "support/FatalCatcher.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

class ReportingTest : public ::testing::Test {
protected:
    void SetUp() override { TDDIDEX::SetDebugLogFolder(dir.Dir()); }
    void TearDown() override { input.SetDebugOption(dioHaltOnError); }
    std::string Log() const { return ReadText(dir.File("ddid.debug")); }

    TempDir dir;
    FatalCatcher halts;
    ScriptedInput platform;
    TDDIDEX input{platform};
};

TEST_F(ReportingTest, SuccessIsNeitherLoggedNorHalted) {
    input.SetDebugOption(dioHaltOnError | dioDebugMessage);
    EXPECT_EQ(TDDIDEX::CheckResult(DI_OK, "never"), DI_OK);
    EXPECT_FALSE(FileExists(dir.File("ddid.debug")));
}

TEST_F(ReportingTest, FailuresAreNumberedInTheLogWithTheirCode) {
    input.SetDebugOption(dioDebugMessage);
    EXPECT_EQ(TDDIDEX::CheckResult(DIERR_NOTACQUIRED, "読めません"), DIERR_NOTACQUIRED);
    TDDIDEX::WriteDebugLog("second");
    EXPECT_EQ(Log(), "debug#00001 ... 読めません(Error Code(8007000C))\r\n"
                     "debug#00002 ... second\r\n");

    TDDIDEX::SetDebugLogFolder(dir.Dir()); // a new run starts the file afresh
    TDDIDEX::CheckResult(1, "one");
    EXPECT_EQ(Log(), "debug#00001 ... one(Error Code(1))\r\n");
}

TEST_F(ReportingTest, NothingIsWrittenWithoutTheDebugOption) {
    input.SetDebugOption(TDDIDDebugOptions{});
    EXPECT_EQ(TDDIDEX::CheckResult(DIERR_INPUTLOST, "quiet"), DIERR_INPUTLOST);
    EXPECT_FALSE(FileExists(dir.File("ddid.debug")));
}

TEST_F(ReportingTest, ExceptOptionRaisesEDDIDAfterLogging) {
    input.SetDebugOption(dioExceptOnError | dioDebugMessage);
    try {
        TDDIDEX::CheckResult(DIERR_INVALIDPARAM, "失敗");
        FAIL() << "no exception";
    } catch (const EDDID& e) {
        EXPECT_EQ(e.Message(), "失敗(Error Code(80070057))");
    }
    EXPECT_EQ(Log(), "debug#00001 ... 失敗(Error Code(80070057))\r\n");
    static_assert(std::is_base_of_v<Exception, EDDID>);
}

TEST_F(ReportingTest, HaltOptionEndsTheProgramAsAFailure) {
    input.SetDebugOption(dioHaltOnError);
    EXPECT_THROW(TDDIDEX::CheckResult(DIERR_INPUTLOST, "x"), HaltCalled);
}

TEST_F(ReportingTest, UnwritableLogIsAnError) {
    input.SetDebugOption(dioDebugMessage);
    TDDIDEX::SetDebugLogFolder(dir.Dir() + "missing/");
    EXPECT_THROW(TDDIDEX::WriteDebugLog("lost"), EWriteError);
}

TEST_F(ReportingTest, StartUpHaltsWhenTheKeyboardCannotBeMade) {
    platform.createKeyboardResult = DIERR_DEVICENOTREG;
    input.SetDebugOption(dioHaltOnError);
    try {
        input.Loaded();
        FAIL() << "no halt";
    } catch (const HaltCalled& e) {
        EXPECT_STREQ(e.what(), "DirectInputDevice(キーボード)の作成に失敗しました(Error Code(80040154))");
    }
}

TEST_F(ReportingTest, EveryStartUpFailureHasItsMessage) {
    input.SetDebugOption(dioDebugMessage);
    platform.createSystemResult = DIERR_NOTINITIALIZED;
    input.Initialize();
    EXPECT_FALSE(input.Update(0));
    platform.createSystemResult = DI_OK;
    platform.createMouseResult = DIERR_DEVICENOTREG;
    platform.keyboardFormatResult = DIERR_INVALIDPARAM;
    platform.cooperativeResult = DIERR_INVALIDPARAM;
    input.Initialize();
    EXPECT_EQ(Log(),
              "debug#00001 ... DirectInputの作成に失敗しました(Error Code(80070015))\r\n"
              "debug#00002 ... DirectInputDeviceのデータフォーマット(キーボード)の指定に失敗しました"
              "(Error Code(80070057))\r\n"
              "debug#00003 ... DirectInputDeviceの協調レベルの設定に失敗しました(Error Code(80070057))\r\n"
              "debug#00004 ... DirectInputDevice(マウス)の作成に失敗しました(Error Code(80040154))\r\n");
    EXPECT_FALSE(input.Update(1));
}

TEST_F(ReportingTest, LoadedReappliesTheOptionsAndHonoursAutoInitialize) {
    TDDIDEX other(platform);
    input.SetDebugOption(dioDebugMessage);
    other.SetAutoInitialize(false);
    other.Loaded(); // its options (halt only) are the layer's again
    EXPECT_EQ(other.DebugOption(), TDDIDDebugOptions(dioHaltOnError));
    EXPECT_FALSE(other.Update(0)) << "not initialised";
    EXPECT_THROW(TDDIDEX::CheckResult(1, "x"), HaltCalled);
    EXPECT_FALSE(FileExists(dir.File("ddid.debug")));
}

TEST(DdidexDefaults, ConstructorSetsThePropertyDefaults) {
    ScriptedInput platform;
    TDDIDEX input(platform);
    EXPECT_EQ(input.DebugOption(), TDDIDDebugOptions(dioHaltOnError));
    EXPECT_EQ(input.DebugOption().Bits(), 1);
    EXPECT_EQ((dioDebugMessage | dioExceptOnError).Bits(), 6);
    EXPECT_EQ(input.DeadZone(), 30);
    EXPECT_TRUE(input.AutoInitialize());
    EXPECT_FALSE(input.BackGround());
    EXPECT_EQ(input.JoystickCount(), 0);
    EXPECT_TRUE(input.JoystickNames().empty());
    EXPECT_EQ(sizeof(input.State()), 80u);
}

} // namespace
