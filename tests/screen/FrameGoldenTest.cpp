// Whole frames of the game on the software device against stored pictures.
#include "ScreenFixture.h"

TEST_F(ScreenTest, TitleScreen) {
    Start();
    ExpectGolden(Render(), "title");
}

TEST_F(ScreenTest, BoardInPlayWithCats) {
    Start();
    form.FoodsCount = 25; // the third stage: the most cats
    form.Texts.Set(TStatusText::FoodsValue, FormatNumber(25, 2));
    Key(VK_RETURN);
    ASSERT_TRUE(form.Hamster.Active);
    ASSERT_GE(form.Cats.size(), 3u);
    clock.Advance(12345);
    ExpectGolden(Render(), "playing");
}

TEST_F(ScreenTest, GameOver) {
    Start();
    Key(VK_RETURN);
    clock.Advance(3000);
    Render();
    // Caught: the cat stands in the hamster's cell, the hamster is gone and the
    // game-over picture is shown.
    ASSERT_FALSE(form.Cats.empty());
    form.Cats[0].Col = form.Hamster.Col;
    form.Cats[0].Row = form.Hamster.Row;
    form.Hamster.Active = false;
    form.GameOver = true;
    ExpectGolden(Render(), "gameover");
}

TEST_F(ScreenTest, BoardClear) {
    Start();
    Key(VK_RETURN);
    clock.Advance(4200);
    form.Hamster.Col = form.Food.Col;
    form.Hamster.Row = form.Food.Row;
    form.CheckFood();
    ASSERT_TRUE(form.BoardClear);
    ExpectGolden(Render(), "boardclear");
}

TEST_F(ScreenTest, GrownGameClearPicture) {
    Start();
    form.FoodsCount = 29;
    Key(VK_RETURN);
    form.Score = 123456; // above the high score of 0: the message starts with "記録更新"
    clock.Advance(2500);
    form.Hamster.Col = form.Food.Col;
    form.Hamster.Row = form.Food.Row;
    form.CheckFood();
    ASSERT_TRUE(form.GameClear);
    for (int i = 0; i < 30 && form.ClearGrowing; ++i) {
        clock.Advance(200);
        Render();
    }
    ASSERT_FALSE(form.ClearGrowing);
    if (!form.HighScoreBlinkOn) clock.Advance(300); // a frame where the blinking score shows
    Render();
    ASSERT_TRUE(form.HighScoreBlinkOn);
    ExpectGolden(Render(), "gameclear");
}
