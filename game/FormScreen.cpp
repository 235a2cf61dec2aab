// The screen's part of start-up: scene, writers and textures.
#include "game/FormScreen.h"

#include "base/Paths.h"
#include "base/Sjis.h"
#include "base/Translate.h"
#include "game/JpegLoader.h"

#include <cmath>

namespace {

// Every texture: the first format of these the device takes, managed pool, no mip levels.
const std::vector<D3DFORMAT> TextureFormats = {D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_A1R5G5B5};

constexpr uint32_t Black = 0xFF000000, Red = 0xFFFF0000;

const char* const CatEntries[4] = {"cat_R.bmp", "cat_down.bmp", "cat_L.bmp", "cat_up.bmp"};
// Every character a value of the status panel can show: numbers, a minus, times, the
// record's stage.
constexpr std::string_view ValueCharacters = "0123456789-\"()";

// Measures and renders the characters into the writer's glyph cache now, so that a value
// first met in play (a negative life, a record) is drawn without allocating.
void Preload(TSXTextWriter& writer, std::string_view characters) {
    writer.TextWidth(characters);
    for (const char c : characters) writer.FontCache().GetGlyph(static_cast<uint8_t>(c), writer.Font());
}

} // namespace

TSXFont WindowFont() {
    TSXFont f;
    f.Name = "MS UI Gothic";
    f.Height = 21; // the cell (ascent + descent): the panel is laid out in steps of one line
    f.Style = fsBold | fsItalic;
    f.Charset = SHIFTJIS_CHARSET;
    return f;
}

int32_t Nearest(double v) {
    return static_cast<int32_t>(std::nearbyint(v)); // the default rounding mode: halves to even
}

TFormScreen::TFormScreen(const TForm1& form) : form_(form) {}

TFormScreen::~TFormScreen() {
    ReleaseTextures();
}

// The scene first, then the textures, then the writers; all before the device.
void TFormScreen::ReleaseTextures() {
    Scene.reset();
    for (auto* t : {&BackgroundTex,     &VLineTex,          &HLineTex,       &LifeValueTex,  &GameOverTex,
                    &TimeValueTex,      &TimeLabelTex,      &RecordLabelTex, &ScoreValueTex, &ScoreLabelTex,
                    &HighScoreValueTex, &HighScoreLabelTex, &FoodsValueTex,  &FoodsLabelTex, &HelpLineTex,
                    &MessageTex,        &MessageBackTex,    &TitleTex,       &LogoTex,       &NoticeTex})
        t->reset();
    for (auto& t : CatTex) t.reset();
    for (auto& t : RecordValueTex) t.reset();
    ValueWriter.reset();
    LabelWriter.reset();
}

std::unique_ptr<TDGTexture> TFormScreen::NewTexture() {
    return std::make_unique<TDGTexture>(*form_.Components.DG, TextureFormats, 0, D3DPOOL_MANAGED, 0, "");
}

std::unique_ptr<TDGTexture> TFormScreen::ArchiveTexture(const std::string& entry, uint32_t key) {
    auto t = NewTexture();
    t->SetFillColor(0);
    t->LoadFromFile(entry, form_.Components.ArchivePath());
    t->SetColorKey(key);
    return t;
}

void TFormScreen::Loaded() {
    ReleaseTextures();
    TDODozuz& DG = *form_.Components.DG;
    Scene = std::make_unique<TSXScene>(DG, "");
    ValueWriter = std::make_unique<TSXTextWriter>(DG, D3DFMT_A8R8G8B8, 16);
    ValueWriter->SetFont(WindowFont());
    Preload(*ValueWriter, ValueCharacters);
    LabelWriter = std::make_unique<TSXTextWriter>(DG, D3DFMT_A8R8G8B8, 16);
    TSXFont label = WindowFont();
    label.Style = fsBold;
    LabelWriter->SetFont(label);

    BackgroundTex = NewTexture();
    BackgroundTex->LoadFromBitmap(LoadJpegFile(DataPath(form_.ExeDir, "Data\\haikei.jpg")));
    VLineTex = ArchiveTexture("TateLine.bmp", Black);
    HLineTex = ArchiveTexture("YokoLine.bmp", Black);
    LifeValueTex = NewTexture();
    for (size_t i = 0; i < 4; ++i) CatTex[i] = ArchiveTexture(CatEntries[i], Red);
    GameOverTex = ArchiveTexture("gameover.bmp", Black);
    TimeValueTex = NewTexture();
    const auto label_ = [&](const char* text) {
        auto t = NewTexture();
        TextToTexture(*t, nullptr, text, *LabelWriter);
        return t;
    };
    TimeLabelTex = label_("TIME:");
    for (auto& t : RecordValueTex) t = NewTexture();
    RecordLabelTex = label_("RECORD:");
    ScoreValueTex = NewTexture();
    ScoreLabelTex = label_("SCORE:");
    HighScoreValueTex = NewTexture();
    HighScoreLabelTex = label_("HIGH SCORE:");
    FoodsValueTex = NewTexture();
    FoodsLabelTex = label_("FOODS:");
    HelpLineTex = label_(Tr("Enter:ゲームスタート Space:ハムスター回転"));
    MessageTex = NewTexture();
    MessageBackTex = NewTexture();
    NoticeTex = NewTexture();
    TitleTex = ArchiveTexture("Title.bmp", Black);
    LogoTex = ArchiveTexture("2008rogo.bmp", Black);
}

void TFormScreen::RenderScene() {
    if (Scene) Scene->Render();
}

void TFormScreen::TextToTexture(TDGTexture& Texture, TDGTexture* Backing, const std::string& Text,
                                TSXTextWriter& Writer) {
    if (Text.empty()) return;
    // Japanese and English go through Shift-JIS as they always have; a text Shift-JIS cannot
    // carry (an "é" of a translation) is written from its UTF-8 as it is.
    const std::string sjis = Utf8ToSjis(Text);
    const bool wide = SjisToUtf8(sjis) != Text;
    // An italic line leans out of its measured box: half an "a" more on the right.
    const int32_t extra = (Writer.Font().Style & fsItalic) ? Writer.TextWidth("a") / 2 : 0;
    const auto w =
        static_cast<uint32_t>((wide ? Writer.TextWidthUtf8(Text) : Writer.TextWidth(sjis)) + extra);
    const auto h = static_cast<uint32_t>(wide ? Writer.TextHeightUtf8(Text) : Writer.TextHeight(sjis));
    // A text of the same size is drawn again into the texture it already has: every pixel
    // is filled below, so only a new size needs a new texture (the time text changes every
    // frame of play and would otherwise make one each frame).
    const auto fit = [w, h](TDGTexture& t) {
        if (!t.Texture() || t.Width() != w || t.Height() != h) t.SetSize(w, h);
    };
    if (Backing) {
        fit(*Backing);
        Backing->FillRect(Rect(0, 0, static_cast<int32_t>(Backing->TextureWidth()),
                               static_cast<int32_t>(Backing->TextureHeight())),
                          0xBB5A28C7, false);
    }
    fit(Texture);
    Texture.FillRect(Rect(0, 0, static_cast<int32_t>(Texture.TextureWidth()),
                          static_cast<int32_t>(Texture.TextureHeight())),
                     0x00FFFFFF, false);
    if (wide)
        Writer.TextOutUtf8(0, 0, Text, Texture);
    else
        Writer.TextOut(0, 0, sjis, Texture);
}
