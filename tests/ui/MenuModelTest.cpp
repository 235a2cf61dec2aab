#include "support/ScriptedHost.h"
#include "ui/MenuItem.h"
#include "ui/ProgressBar.h"

#include <gtest/gtest.h>

TEST(MainMenu, TreeCaptionsAndInitialStates) {
    TMainMenu m;
    ASSERT_EQ(m.TopItems().size(), 3u);
    EXPECT_EQ(m.G1.Caption(), "ゲーム(&G)");
    EXPECT_EQ(m.BGMB1.Caption(), "BGM(&B)");
    EXPECT_EQ(m.H1.Caption(), "ヘルプ(&H)");
    ASSERT_EQ(m.G1.Items().size(), 5u);
    EXPECT_EQ(m.G1.Items()[0], &m.Save);
    EXPECT_EQ(m.G1.Items()[1]->Caption(), "ハイスコア(&H)");
    EXPECT_TRUE(m.HS1.Enabled());
    EXPECT_TRUE(m.G1.Items()[2]->IsSeparator());
    EXPECT_EQ(m.G1.Items()[3]->Caption(), "設定(&O)...");
    EXPECT_TRUE(m.G1.Items()[3]->Enabled());
    EXPECT_EQ(m.G1.Items()[4]->Caption(), "終了(&E)");
    EXPECT_FALSE(m.Save.Enabled());
    ASSERT_EQ(m.BGMB1.Items().size(), 6u);
    EXPECT_TRUE(m.Play.Checked());
    EXPECT_FALSE(m.Stop.Checked());
    EXPECT_TRUE(m.Yuyake.Checked());
    EXPECT_EQ(m.Yuyake.Caption(), "「夕焼けの帰り道」(&H)");
    EXPECT_EQ(m.Select.Caption(), "指定した曲(&M)");
    EXPECT_EQ(m.R1.Caption(), "ランダムに(&R)");
    ASSERT_EQ(m.H1.Items().size(), 3u);
    EXPECT_EQ(m.H1.Items()[2]->Caption(), "バージョン情報(&V)");
    EXPECT_EQ(m.Find("V1"), &m.V1);
    EXPECT_EQ(m.Find("BGMB1"), &m.BGMB1);
    EXPECT_EQ(m.Find("nothing"), nullptr);
}

TEST(ProgressBar, KeepsItsPositionWithinRange) {
    TProgressBar bar(64, 467, 169, 25, 200, true);
    bar.SetPosition(30);
    EXPECT_EQ(bar.Position(), 30);
    bar.SetPosition(-30);
    EXPECT_EQ(bar.Position(), 0);
    bar.SetPosition(250);
    EXPECT_EQ(bar.Position(), 200);
    EXPECT_EQ(bar.Left() + bar.Width(), 233);
}

TEST(ScriptedHost, AnswersFromItsScriptAndRefusesUnscriptedQuestions) {
    ScriptedHost host;
    host.answers = {true, false};
    EXPECT_TRUE(host.AskYesNo("a"));
    EXPECT_FALSE(host.AskYesNo("b"));
    EXPECT_THROW(host.AskYesNo("c"), std::logic_error);
    EXPECT_EQ(host.questions, (std::vector<std::string>{"a", "b", "c"}));
    int ran = 0;
    host.onProcessMessages = [&] { ++ran; };
    host.ProcessMessages();
    host.ProcessMessages();
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(host.processCalls, 2);
}
