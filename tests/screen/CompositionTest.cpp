// The composition's rules, read from the sprites it queues: positions, colours, blinks.
#include "ScreenFixture.h"

#include <optional>

namespace {

struct Sprite {
    float x, y, w, h;
    uint32_t colour;
};

} // namespace

class CompositionTest : public ScreenTest {
protected:
    // Composes one frame at the clock's time; answers every sprite of the frame.
    std::vector<TSXPolygon2D> Compose() {
        form.ComposeFrame();
        TSXRenderingQueue& q = graphics.Scene->OverlayQueue();
        std::vector<TSXPolygon2D> items;
        for (int32_t i = 0; i < q.Polygon2DCount(); ++i) items.push_back(q.Polygon2D(i));
        form.Components.BeginScene();
        graphics.RenderScene(); // empties the queues
        form.Components.EndScene();
        return items;
    }
    // Where and how the texture was drawn in the last composed frame; none when not drawn.
    static std::optional<Sprite> Find(const std::vector<TSXPolygon2D>& items, const TDGTexture* t) {
        for (const auto& p : items)
            if (p.Texture == t)
                return Sprite{p.X, p.Y, p.Vertices[3].X, p.Vertices[3].Y, p.Vertices[0].Color};
        return std::nullopt;
    }
};

TEST_F(CompositionTest, RecordLinesAreBlueForTheCurrentStageAndYellowOtherwise) {
    Start();
    auto items = Compose();
    for (auto& t : graphics.RecordValueTex) EXPECT_EQ(Find(items, t.get())->colour, 0xFFEFDC07u); // stage 0
    form.Stage = 2;
    items = Compose();
    EXPECT_EQ(Find(items, graphics.RecordValueTex[0].get())->colour, 0xFFEFDC07u);
    EXPECT_EQ(Find(items, graphics.RecordValueTex[1].get())->colour, 0xFF3339D6u);
    EXPECT_EQ(Find(items, graphics.RecordValueTex[2].get())->colour, 0xFFEFDC07u);
    // One line below the other, a line height and 5 pixels apart.
    const float step = static_cast<float>(graphics.RecordValueTex[0]->Height() + 5);
    EXPECT_EQ(Find(items, graphics.RecordValueTex[1].get())->y -
                  Find(items, graphics.RecordValueTex[0].get())->y,
              step);
}

TEST_F(CompositionTest, NewRecordTimeBlinksMagentaInTurnsOf300ms) {
    Start();
    Key(VK_RETURN);
    clock.Advance(4000);
    form.Hamster.Col = form.Food.Col;
    form.Hamster.Row = form.Food.Row;
    form.CheckFood();
    ASSERT_TRUE(form.NewRecord);
    const TDGTexture* time = graphics.TimeValueTex.get();
    // The blink starts off and turns on 300 ms after the record.
    EXPECT_FALSE(Find(Compose(), time));
    clock.Advance(299);
    EXPECT_FALSE(Find(Compose(), time));
    clock.Advance(1);
    auto shown = Find(Compose(), time);
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->colour, 0xFFEF07E7u);
    EXPECT_EQ(form.Texts.Text(TStatusText::TimeValue), "004\"00"); // the record, not the running time
    clock.Advance(300);
    EXPECT_FALSE(Find(Compose(), time));
    // Without a new record the time is white.
    Key(VK_RETURN);
    EXPECT_EQ(Find(Compose(), time)->colour, 0xFFFFFFFFu);
}

TEST_F(CompositionTest, AHighScoreBlinksTheScoreAndAddsThePrefix) {
    Start();
    form.FoodsCount = 29;
    Key(VK_RETURN);
    form.Score = 5000;
    form.Hamster.Col = form.Food.Col;
    form.Hamster.Row = form.Food.Row;
    form.CheckFood();
    ASSERT_TRUE(form.HighScoreUpdated);
    EXPECT_EQ(form.Texts.Text(TStatusText::Message).rfind("記録更新おめでとうございます。", 0), 0u);
    const TDGTexture* score = graphics.ScoreValueTex.get();
    EXPECT_FALSE(Find(Compose(), score));
    clock.Advance(300);
    EXPECT_EQ(Find(Compose(), score)->colour, 0xFFE30880u);
    // The message box waits for the picture to stop growing.
    EXPECT_FALSE(Find(Compose(), graphics.MessageTex.get()));
    for (int i = 0; i < 30 && form.ClearGrowing; ++i) {
        clock.Advance(200);
        Compose();
    }
    auto items = Compose();
    auto message = Find(items, graphics.MessageTex.get());
    auto box = Find(items, graphics.MessageBackTex.get());
    ASSERT_TRUE(message && box);
    EXPECT_EQ(message->colour, 0xFFF4ECECu);
    EXPECT_EQ(box->colour, 0xBBFFFFFFu);
    EXPECT_EQ(message->y, 280.0f);
    // With the shipped font the message fits, centred.
    ASSERT_LT(graphics.MessageTex->Width(), 764u);
    EXPECT_EQ(message->x, static_cast<float>((764 - static_cast<int32_t>(graphics.MessageTex->Width())) / 2));
    // A wider text (a wider fallback face) starts at the left edge instead of vanishing.
    form.Texts.Set(TStatusText::Message, form.Texts.Text(TStatusText::Message) + "もう一度遊べます。");
    items = Compose();
    ASSERT_GT(graphics.MessageTex->Width(), 764u);
    EXPECT_EQ(Find(items, graphics.MessageTex.get())->x, 0.0f);
    EXPECT_EQ(Find(items, graphics.MessageBackTex.get())->x, 0.0f);
    // The grown picture has its full size, its top at 150.
    auto get = Find(items, &graphics.GetTex());
    EXPECT_EQ(get->w, static_cast<float>(graphics.GetTex().Width()));
    EXPECT_EQ(get->y, 150.0f);
}

TEST_F(CompositionTest, NoPrefixWithoutAHighScore) {
    Start();
    form.HighScore = 999999;
    form.FoodsCount = 29;
    Key(VK_RETURN);
    form.Hamster.Col = form.Food.Col;
    form.Hamster.Row = form.Food.Row;
    form.CheckFood();
    ASSERT_TRUE(form.GameClear);
    EXPECT_EQ(form.Texts.Text(TStatusText::Message).rfind("おめでとうございます。", 0), 0u);
    clock.Advance(300);
    EXPECT_EQ(Find(Compose(), graphics.ScoreValueTex.get())->colour, 0xFFE30880u);
}

TEST_F(CompositionTest, APictureLargerThanItsCellHasNegativeOffsets) {
    Start();
    Key(VK_RETURN);
    // A cell 10 x 10 pixels: the food picture overlaps the lines around it.
    form.XLines = {20, 30, 620};
    form.YLines = {20, 30, 440};
    form.XLineCount = form.YLineCount = 3;
    form.CellGrid.assign(2, std::vector<uint8_t>(2, 0));
    form.Cats.clear();
    form.Food.Col = form.Food.Row = 0;
    form.FoodMoveTime = clock.Now();
    auto food = Find(Compose(), &graphics.FoodTex());
    ASSERT_TRUE(food);
    const auto w = static_cast<int32_t>(graphics.FoodTex().Width()),
               h = static_cast<int32_t>(graphics.FoodTex().Height());
    ASSERT_GT(w, 10);
    EXPECT_EQ(food->x, static_cast<float>(20 + (10 - w) / 2));
    EXPECT_EQ(food->y, static_cast<float>(20 + (10 - h) / 2));
    EXPECT_LT(food->x, 20.0f);
}

TEST_F(CompositionTest, AFallingHamsterIsDrawnOnlyWhenItsFallSteps) {
    Start();
    Key(VK_RETURN);
    form.Hamster.Active = false;
    form.Hamster.Falling = true;
    form.Hamster.FallWidth = 54;
    form.Hamster.FallHeight = 28;
    form.FallStepTime = clock.Now();
    const TDGTexture* hamster = &graphics.HamsterTex(form.Hamster.Dir);
    clock.Advance(200);
    EXPECT_FALSE(Find(Compose(), hamster)); // not more than 200 ms yet
    clock.Advance(1);
    auto drawn = Find(Compose(), hamster);
    ASSERT_TRUE(drawn);
    EXPECT_EQ(drawn->w, static_cast<float>(Nearest(54 * 0.9f)));
    EXPECT_EQ(drawn->h, static_cast<float>(Nearest(28 * 0.9f)));
    EXPECT_FALSE(Find(Compose(), hamster));
}

TEST_F(CompositionTest, TheTitleIsDrawnOnTopOfEverything) {
    Start();
    auto items = Compose();
    ASSERT_GE(items.size(), 2u);
    EXPECT_EQ(items[items.size() - 2].Texture, graphics.TitleTex.get());
    EXPECT_EQ(items.back().Texture, graphics.LogoTex.get());
    EXPECT_EQ(items.back().X, 400.0f);
    EXPECT_EQ(items.back().Y, 350.0f);
    EXPECT_EQ(items.front().Texture, graphics.BackgroundTex.get());
    Key(VK_RETURN);
    EXPECT_FALSE(Find(Compose(), graphics.TitleTex.get()));
}

TEST_F(CompositionTest, TheLifeNumberAndHelpLineFlankTheLifeBar) {
    Start();
    auto items = Compose();
    auto life = Find(items, graphics.LifeValueTex.get());
    auto help = Find(items, graphics.HelpLineTex.get());
    EXPECT_EQ(life->x, static_cast<float>(64 - static_cast<int32_t>(graphics.LifeValueTex->Width()) - 5));
    EXPECT_EQ(life->y, 467.0f);
    EXPECT_EQ(help->x, static_cast<float>(64 + 169 + 15));
    EXPECT_EQ(help->colour, 0xFFE3F5E4u);
}

TEST(FormatNumberTest, PadsCutsAndKeepsTheSign) {
    EXPECT_EQ(FormatNumber(7, 3), "007");
    EXPECT_EQ(FormatNumber(0, 2), "00");
    EXPECT_EQ(FormatNumber(1234, 3), "---");
    EXPECT_EQ(FormatNumber(-30, 3), "-30");
    EXPECT_EQ(FormatNumber(999, 3), "999");
    // A running time of 1000 s or more shows dashes for the seconds.
    EXPECT_EQ(FormatTimeUnsigned(1000000), "---\"00");
    EXPECT_EQ(FormatTimeUnsigned(999999), "999\"09");
}
