// Whole frames of the game on the software device against stored pictures.
#include "PlayWindow.h"
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

// A cell on the board larger than the right-facing hamster both ways, entered from the
// left out of a cell that holds it, with no cat and no food in or next to it.
static bool FindFallFromTheLeft(const TForm1& f, int32_t w, int32_t h, int32_t& col, int32_t& row) {
    const auto clear = [&](int32_t c, int32_t r) {
        for (const TBoardObject& cat : f.Cats)
            if (std::abs(cat.Col - c) <= 1 && std::abs(cat.Row - r) <= 1) return false;
        return !(std::abs(f.Food.Col - c) <= 1 && std::abs(f.Food.Row - r) <= 1);
    };
    for (row = 0; row < f.YLineCount - 1; ++row)
        for (col = 1; col < f.XLineCount - 1; ++col) {
            const int32_t ch = CellHeight(f.YLines, row);
            if (!CellHolds(CellWidth(f.XLines, col), ch, w, h) &&
                CellHolds(CellWidth(f.XLines, col - 1), ch, w, h) && clear(col, row))
                return true;
        }
    return false;
}

TEST_F(ScreenTest, HamsterShrinksWhileFalling) {
    Start();
    Key(VK_RETURN);
    ASSERT_TRUE(form.Hamster.Active);
    clock.Advance(500);
    Render();
    const TPictureSize size = form.Components.HamsterSize(DirRight);
    int32_t col = 0, row = 0;
    ASSERT_TRUE(FindFallFromTheLeft(form, size.Width, size.Height, col, row));
    form.Hamster.Dir = DirRight;
    form.Hamster.Col = col - 1;
    form.Hamster.Row = row;
    // The right arrow held for one movement step: the hamster walks into the cell and drops.
    input.Keyboard().KeyCodeDown(DIK_RIGHT);
    clock.Set(std::max(form.LastMoveTime + 75, form.LastFrameTime + 25));
    Tick();
    input.Keyboard().KeyCodeUp(DIK_RIGHT);
    ASSERT_EQ(form.Hamster.Col, col);
    ASSERT_TRUE(form.Hamster.Falling);
    ASSERT_FALSE(form.Hamster.Active);
    // Three shrinks of a tenth each, the last in the frame drawn.
    for (int step = 0; step < 3; ++step) {
        clock.Advance(201);
        Render();
    }
    ASSERT_TRUE(form.Hamster.Falling);
    EXPECT_NEAR(form.Hamster.FallWidth, size.Width * 0.729f, 0.01f);
    ExpectGolden(frame, "falling");
}

using Window = PlayWindow<SoftwareOwner>;

// A stretch of play (the hamster walking and falling, cats stepping, food hopping, the
// time running, two games lost, the second started from the game-over screen) drawn in
// two windows: one redraws only what changed, the other every frame whole. Every frame
// shown is the same in both.
TEST(RedrawnPart, EveryFrameOfPlayEqualsTheFrameDrawnWhole) {
    Window part(true), whole(false);
    int kinds[3] = {};
    const uint16_t arrows[] = {DIK_RIGHT, DIK_DOWN, DIK_LEFT, DIK_UP};
    for (int step = 0; step < 400; ++step) {
        for (Window* w : {&part, &whole}) {
            if (step == 80 || step == 260) {
                uint16_t enter = VK_RETURN;
                w->form.FormKeyDown(enter);
            }
            if (step % 30 == 0) {
                if (step > 0) w->input.Keyboard().KeyCodeUp(arrows[(step / 30 + 3) % 4]);
                w->input.Keyboard().KeyCodeDown(arrows[(step / 30) % 4]);
            }
            w->clock.Advance(25);
            w->Tick();
        }
        ++kinds[part.screen.Scene->LastRenderKind()];
        ASSERT_EQ(part.form.LastFrameTime, whole.form.LastFrameTime) << step;
        ASSERT_EQ(part.shown.size(), whole.shown.size()) << step;
        if (part.shown == whole.shown) continue;
        FAIL() << PixelsThatDiffer(part.shown, whole.shown) << " pixels differ in frame " << step << " (kind "
               << part.screen.Scene->LastRenderKind() << ")";
    }
    // The frames of play were drawn in part, those at rest (the title, a game lost) not at
    // all, few whole.
    EXPECT_GT(kinds[1], 80);
    EXPECT_GT(kinds[0], 120);
    EXPECT_LT(kinds[2], 20);
    EXPECT_EQ(whole.screen.Scene->LastRenderKind(), 2);
}
