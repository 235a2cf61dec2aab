// Start-up and closing of the form with its real graphics.
#include "ScreenFixture.h"

#include "base/Stream.h"
#include "game/JpegLoader.h"

TEST_F(ScreenTest, WithoutARecordsFileTheStartValuesShow) {
    // Temporaries of saves killed half way (no record.dat came of them) go at start-up;
    // the player's own copies beside them stay.
    dir.Write("Data/.himawari-record.dat.Ab12Cd", std::string(100, 'x'));
    dir.Write("Data/.himawari-Settei.ini.x9Y8z7", std::string("[BGM]"));
    for (const char* kept : {"Data/record.dat.backup", "Data/Settei.ini.save01", "Data/record.dat.Ab12Cd"})
        dir.Write(kept, std::string("mine"));
    Create();
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "Data" / ".himawari-record.dat.Ab12Cd"));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "Data" / ".himawari-Settei.ini.x9Y8z7"));
    for (const char* kept : {"Data/record.dat.backup", "Data/Settei.ini.save01", "Data/record.dat.Ab12Cd"})
        EXPECT_TRUE(std::filesystem::exists(dir.File(kept))) << kept;
    EXPECT_EQ(form.Texts.Text(TStatusText::HighScoreValue), "000000");
    EXPECT_EQ(form.Texts.Text(TStatusText::LifeValue), "030");
    EXPECT_EQ(form.PBLife.Position(), 30);
    for (int32_t n = 1; n <= 3; ++n)
        EXPECT_EQ(form.Texts.Text(TStatusTexts::RecordLine(n)), "100\"00(" + std::to_string(n) + ")");
    EXPECT_TRUE(form.TitleShown);
    EXPECT_TRUE(form.GameSaved);
    EXPECT_FALSE(form.MainMenu1.Save.Enabled());
    // The labels are rendered at creation, the values at the first frame.
    EXPECT_GT(graphics.HelpLineTex->Width(), graphics.TimeLabelTex->Width());
    Render();
    EXPECT_GT(graphics.HighScoreValueTex->Width(), 0u);
    EXPECT_GT(graphics.RecordValueTex[2]->Width(), graphics.HighScoreValueTex->Width());
}

TEST_F(ScreenTest, TheHighScoreComesFromTheRecordsFile) {
    TSaveImage image;
    image.SetHighScore(4321);
    image.WriteToFile(exeDir + "Data/record.dat");
    Create();
    EXPECT_EQ(form.HighScore, 4321);
    EXPECT_EQ(form.Texts.Text(TStatusText::HighScoreValue), "004321");
}

TEST_F(ScreenTest, TheTexturesOfStartUpAreKeyed) {
    Create();
    // The window font: bold italic values, bold labels.
    EXPECT_EQ(graphics.ValueWriter->Font().Style, fsBold | fsItalic);
    EXPECT_EQ(graphics.LabelWriter->Font().Style, fsBold);
    EXPECT_EQ(graphics.BackgroundTex->Width(), 764u);
    EXPECT_EQ(graphics.BackgroundTex->Height(), 500u);
    // The hamster's picture decides which cells hold it: its two facings swap sides.
    const TPictureSize right = form.Components.HamsterSize(0), up = form.Components.HamsterSize(3);
    EXPECT_EQ(right.Width, up.Height);
    EXPECT_EQ(right.Height, up.Width);
    EXPECT_GT(form.Components.PictureSize(TPicture::Food).Width, 0u);
}

TEST_F(ScreenTest, AMissingPictureFailsTheStartUpWithItsName) {
    std::filesystem::remove(dir.Path() / "Data" / "haikei.jpg");
    try {
        Create();
        FAIL() << "start-up went on without its background";
    } catch (const Exception& e) {
        EXPECT_NE(std::string(e.what()).find("haikei.jpg"), std::string::npos) << e.what();
    }
}

TEST_F(ScreenTest, ADamagedBackgroundFailsTheStartUpWithLibjpegsReason) {
    // Cut short in copying: no silent grey board, but the file and libjpeg's reason.
    std::vector<uint8_t> bytes = ReadWholeFile((dir.Path() / "Data" / "haikei.jpg").string());
    bytes.resize(bytes.size() / 2);
    dir.Write("Data/haikei.jpg", std::string(bytes.begin(), bytes.end()));
    try {
        Create();
        FAIL() << "start-up went on with a damaged background";
    } catch (const EJpegError& e) {
        EXPECT_NE(std::string(e.what()).find("haikei.jpg: JPEG: Premature end"), std::string::npos)
            << e.what();
    }
}
