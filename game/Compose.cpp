// The composition of one frame: every picture and text queued as a 2D overlay sprite,
// later ones on top, at the positions and in the colours of the game's screen.
#include "game/FormScreen.h"

namespace {

constexpr uint32_t Opaque = 0xFFFFFFFF;
constexpr uint32_t LabelColour = 0xFF27DA33;
constexpr uint32_t NewRecordColour = 0xFFEF07E7;
constexpr uint32_t CurrentStageColour = 0xFF3339D6;
constexpr uint32_t OtherStageColour = 0xFFEFDC07;
constexpr uint32_t ScoreColour = 0xFFE30880;
constexpr uint32_t HighScoreColour = 0xFFE68AD2;
constexpr uint32_t FoodsColour = 0xFF36CDF3;
constexpr uint32_t HelpColour = 0xFFE3F5E4;

int32_t H(const TDGTexture& t) {
    return static_cast<int32_t>(t.Height());
}

} // namespace

void TFormScreen::DrawSprite(TDGTexture& Texture, int32_t X, int32_t Y, uint32_t Colour) {
    DrawSpriteSized(Texture, X, Y, static_cast<int32_t>(Texture.Width()),
                    static_cast<int32_t>(Texture.Height()), Colour);
}

void TFormScreen::DrawSpriteSized(TDGTexture& Texture, int32_t X, int32_t Y, int32_t W, int32_t H,
                                  uint32_t Colour) {
    const float w = static_cast<float>(W), h = static_cast<float>(H);
    const float u = Texture.MaxU(), v = Texture.MaxV();
    const TSXVertex2D vertices[4] = {MakeVertex2D(0, 0, Colour, 0, 0), MakeVertex2D(w, 0, Colour, u, 0),
                                     MakeVertex2D(0, h, Colour, 0, v), MakeVertex2D(w, h, Colour, u, v)};
    Scene->Draw2D(MakeVector2(static_cast<float>(X), static_cast<float>(Y)), vertices, &Texture, 2, false,
                  true, 0.0f);
}

// (ClientWidth - width) halved; a picture or text wider than the window starts at its
// left edge (shifting the unsigned difference would put it two billion pixels away).
int32_t TFormScreen::CentredX(const TDGTexture& tex) const {
    const int64_t spare = int64_t{form_.ClientWidth} - int64_t{tex.Width()};
    return spare > 0 ? static_cast<int32_t>(spare / 2) : 0;
}

TDGTexture* TFormScreen::TextTexture(TStatusText which) {
    switch (which) {
    case TStatusText::TimeValue:
        return TimeValueTex.get();
    case TStatusText::RecordValue1:
    case TStatusText::RecordValue2:
    case TStatusText::RecordValue3:
        return RecordValueTex[static_cast<size_t>(which) - static_cast<size_t>(TStatusText::RecordValue1)]
            .get();
    case TStatusText::ScoreValue:
        return ScoreValueTex.get();
    case TStatusText::HighScoreValue:
        return HighScoreValueTex.get();
    case TStatusText::FoodsValue:
        return FoodsValueTex.get();
    case TStatusText::LifeValue:
        return LifeValueTex.get();
    case TStatusText::Message:
        return MessageTex.get();
    case TStatusText::Notice:
        return NoticeTex.get();
    case TStatusText::Count:
        break;
    }
    return nullptr;
}

void TFormScreen::RefreshTexts() {
    if (!ValueWriter) return;
    for (size_t i = 0; i < rendered_.size(); ++i) {
        const auto which = static_cast<TStatusText>(i);
        const uint32_t revision = form_.Texts.Revision(which);
        if (revision == rendered_[i]) continue;
        rendered_[i] = revision;
        TDGTexture* tex = TextTexture(which);
        if (!tex) continue;
        // Numbers are written upright-italic by the value writer; the game-clear message
        // by the label writer onto its purple box.
        if (which == TStatusText::Message)
            TextToTexture(*tex, MessageBackTex.get(), form_.Texts.Text(which), *LabelWriter);
        else if (which == TStatusText::Notice)
            TextToTexture(*tex, nullptr, form_.Texts.Text(which), *LabelWriter);
        else
            TextToTexture(*tex, nullptr, form_.Texts.Text(which), *ValueWriter);
    }
}

void TFormScreen::DrawCentred(TDGTexture& tex, int32_t col, int32_t row) {
    const TForm1& f = form_;
    const int32_t x = f.XLines[static_cast<size_t>(col)] +
                      (CellWidth(f.XLines, col) - static_cast<int32_t>(tex.Width())) / 2;
    const int32_t y = f.YLines[static_cast<size_t>(row)] +
                      (CellHeight(f.YLines, row) - static_cast<int32_t>(tex.Height())) / 2;
    DrawSprite(tex, x, y, Opaque);
}

void TFormScreen::DrawBoard() {
    const TForm1& f = form_;
    for (int32_t r = 0; r < f.YLineCount; ++r)
        DrawSprite(*HLineTex, f.BoardLeft, f.YLines[static_cast<size_t>(r)], Opaque);
    for (int32_t c = 0; c < f.XLineCount; ++c)
        DrawSprite(*VLineTex, f.XLines[static_cast<size_t>(c)], f.BoardTop, Opaque);
    if (f.XLineCount < 2 || f.YLineCount < 2) return;
    DrawCentred(FoodTex(), f.Food.Col, f.Food.Row);
    for (const TBoardObject& cat : f.Cats)
        if (cat.Alive) DrawCentred(*CatTex[static_cast<size_t>(cat.Dir & 3)], cat.Col, cat.Row);
}

// The hamster, unless the game is over; a falling hamster only in the frames where its
// fall advanced (so it flickers as it shrinks), at its new size.
void TFormScreen::DrawHamster(const TFrameState& frame) {
    const TForm1& f = form_;
    if (f.XLineCount < 2 || f.YLineCount < 2) return;
    TDGTexture& tex = HamsterTex(f.Hamster.Dir);
    if (frame.FallStepped) {
        const int32_t w = Nearest(f.Hamster.FallWidth), h = Nearest(f.Hamster.FallHeight);
        const int32_t x = f.XLines[static_cast<size_t>(f.Hamster.Col)] + (f.HamsterCellWidth() - w) / 2;
        const int32_t y = f.YLines[static_cast<size_t>(f.Hamster.Row)] + (f.HamsterCellHeight() - h) / 2;
        DrawSpriteSized(tex, x, y, w, h, Opaque);
        return;
    }
    if (f.GameOver || f.Hamster.Falling) return;
    DrawCentred(tex, f.Hamster.Col, f.Hamster.Row);
}

void TFormScreen::DrawPanel() {
    const TForm1& f = form_;
    const int32_t TL = H(*TimeLabelTex), TV = H(*TimeValueTex), RL = H(*RecordLabelTex),
                  SL = H(*ScoreLabelTex);
    DrawSprite(*TimeLabelTex, 630, 10, LabelColour);
    if (!f.NewRecord)
        DrawSprite(*TimeValueTex, 640, TL + 15, Opaque);
    else if (f.NewRecordBlinkOn)
        DrawSprite(*TimeValueTex, 640, TL + 15, NewRecordColour);
    DrawSprite(*RecordLabelTex, 630, TL + TV + 20, LabelColour);
    for (int32_t i = 1; i <= 3; ++i) {
        TDGTexture& line = *RecordValueTex[static_cast<size_t>(i - 1)];
        DrawSprite(line, 640, TL + TV + RL + 25 + (H(line) + 5) * (i - 1),
                   i == f.Stage ? CurrentStageColour : OtherStageColour);
    }
    DrawSprite(*ScoreLabelTex, 630, 300, LabelColour);
    if (!f.HighScoreUpdated || f.HighScoreBlinkOn) DrawSprite(*ScoreValueTex, 640, SL + 305, ScoreColour);
    DrawSprite(*HighScoreLabelTex, 630, 2 * SL + 310, LabelColour);
    DrawSprite(*HighScoreValueTex, 640, 3 * SL + 315, HighScoreColour);
    DrawSprite(*FoodsLabelTex, 630, 4 * SL + 320, LabelColour);
    DrawSprite(*FoodsValueTex, 640, 5 * SL + 325, FoodsColour);
    const TProgressBar& bar = f.PBLife;
    DrawSprite(*LifeValueTex, bar.Left() - static_cast<int32_t>(LifeValueTex->Width()) - 5, bar.Top(),
               ScoreColour);
    DrawSprite(f.NoticeShown() ? *NoticeTex : *HelpLineTex, bar.Left() + bar.Width() + 15, bar.Top(),
               HelpColour);
}

void TFormScreen::DrawPhasePictures(const TFrameState& frame) {
    const TForm1& f = form_;
    if (frame.MessageBoxShown) {
        const int32_t x = CentredX(*MessageTex);
        DrawSprite(*MessageBackTex, x, 280, 0xBBFFFFFF);
        DrawSprite(*MessageTex, x, 280, 0xFFF4ECEC);
    }
    if (f.GameOver)
        DrawSpriteSized(*GameOverTex, 100, 200, Nearest(GameOverTex->Width() * 1.2),
                        Nearest(GameOverTex->Height() * 1.2), 0xABFFFFFF);
    if (f.BoardClear) {
        if (!f.GameClear) {
            DrawSprite(GetTex(), CentredX(GetTex()), 150, 0xABFFFFFF);
        } else {
            // The game-clear picture grows about the centre of its final place.
            const double cw = f.ClearImageWidth, ch = f.ClearImageHeight;
            DrawSpriteSized(GetTex(), Nearest(f.ClientWidth - cw) / 2, Nearest(H(GetTex()) - ch) / 2 + 150,
                            Nearest(cw), Nearest(ch), 0xBBFFFFFF);
        }
    }
    if (f.TitleShown) {
        DrawSprite(*TitleTex, CentredX(*TitleTex), 150, Opaque);
        DrawSprite(*LogoTex, 400, 350, 0xBBFFFFFF);
    }
}

void TFormScreen::DrawFrame(const TFrameState& frame) {
    if (!Scene) return;
    Scene->Clear(D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    RefreshTexts();
    DrawSprite(*BackgroundTex, 0, 0, Opaque);
    DrawBoard();
    DrawHamster(frame);
    DrawPanel();
    DrawPhasePictures(frame);
}
