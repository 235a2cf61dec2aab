// The window's graphics: device, scene, writers and the textures of start-up.
#include "game/FormGraphics.h"

#include "base/Paths.h"
#include "base/Sjis.h"
#include "game/JpegLoader.h"

#include <cmath>

namespace {

// Every texture: the first format of these the device takes, managed pool, no mip levels.
const std::vector<D3DFORMAT> TextureFormats = {D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_A1R5G5B5};

constexpr uint32_t Black = 0xFF000000, White = 0xFFFFFFFF, Red = 0xFFFF0000;

const char* const HamsterEntries[4] = {"kuro_R.bmp", "kuro_Down.bmp", "kuro_L.bmp", "kuro_Up.bmp"};
const char* const CatEntries[4] = {"cat_R.bmp", "cat_down.bmp", "cat_L.bmp", "cat_up.bmp"};

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

TFormGraphics::TFormGraphics(IDGOwner& owner, std::string exeDir) : DG(owner), exeDir_(std::move(exeDir)) {
    DG.SetUseREFDevice(false);
    DG.SetUseSoftwareVertexProcessing(false);
    DG.SetDebugOption(dgoHaltOnError);
}

// The scene and the textures go before the device (members go in reverse order).
TFormGraphics::~TFormGraphics() {
    Scene.reset();
    BackgroundTex.reset();
    VLineTex.reset();
    HLineTex.reset();
    for (size_t i = 0; i < 4; ++i) {
        HamsterTex[i].reset();
        CatTex[i].reset();
    }
    for (auto* t :
         {&LifeValueTex, &FoodTex, &GameOverTex, &GetTex, &TimeValueTex, &TimeLabelTex, &RecordLabelTex,
          &ScoreValueTex, &ScoreLabelTex, &HighScoreValueTex, &HighScoreLabelTex, &FoodsValueTex,
          &FoodsLabelTex, &HelpLineTex, &MessageTex, &MessageBackTex, &TitleTex, &LogoTex})
        t->reset();
    for (auto& t : RecordValueTex) t.reset();
    ValueWriter.reset();
    LabelWriter.reset();
}

std::string TFormGraphics::ArchivePath() const {
    return DataPath(exeDir_, "Data\\data.qda");
}

std::unique_ptr<TDGTexture> TFormGraphics::NewTexture() {
    return std::make_unique<TDGTexture>(DG, TextureFormats, 0, D3DPOOL_MANAGED, 0, "");
}

std::unique_ptr<TDGTexture> TFormGraphics::ArchiveTexture(const std::string& entry, uint32_t key) {
    auto t = NewTexture();
    t->SetFillColor(0);
    t->LoadFromFile(entry, ArchivePath());
    t->SetColorKey(key);
    return t;
}

void TFormGraphics::Loaded() {
    DG.Loaded();
    const int32_t w = DG.Owner().ClientWidth(), h = DG.Owner().ClientHeight();
    DG.ChangeWindowMode(w, h, {}, D3DPRESENT_INTERVAL_DEFAULT, D3DSWAPEFFECT_DISCARD, D3DMULTISAMPLE_NONE,
                        D3DADAPTER_DEFAULT);
    Scene = std::make_unique<TSXScene>(DG, "");
    ValueWriter = std::make_unique<TSXTextWriter>(DG, D3DFMT_A8R8G8B8, 16);
    ValueWriter->SetFont(WindowFont());
    LabelWriter = std::make_unique<TSXTextWriter>(DG, D3DFMT_A8R8G8B8, 16);
    TSXFont label = WindowFont();
    label.Style = fsBold;
    LabelWriter->SetFont(label);

    BackgroundTex = NewTexture();
    BackgroundTex->LoadFromBitmap(LoadJpegFile(DataPath(exeDir_, "Data\\haikei.jpg")));
    VLineTex = ArchiveTexture("TateLine.bmp", Black);
    HLineTex = ArchiveTexture("YokoLine.bmp", Black);
    for (size_t i = 0; i < 4; ++i) HamsterTex[i] = ArchiveTexture(HamsterEntries[i], White);
    LifeValueTex = NewTexture();
    for (size_t i = 0; i < 4; ++i) CatTex[i] = ArchiveTexture(CatEntries[i], Red);
    FoodTex = NewTexture();
    FoodTex->SetFillColor(0);
    GameOverTex = ArchiveTexture("gameover.bmp", Black);
    GetTex = ArchiveTexture("get.bmp", Black);
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
    HelpLineTex = label_("Enter:ゲームスタート Space:ハムスター回転");
    MessageTex = NewTexture();
    MessageBackTex = NewTexture();
    TitleTex = ArchiveTexture("Title.bmp", Black);
    LogoTex = ArchiveTexture("2008rogo.bmp", Black);
}

TPictureSize TFormGraphics::HamsterSize(int32_t dir) {
    const auto& t = HamsterTex[static_cast<size_t>(dir & 3)];
    return t ? TPictureSize{t->Width(), t->Height()} : TPictureSize{};
}

TPictureSize TFormGraphics::PictureSize(TPicture picture) {
    const TDGTexture* t = picture == TPicture::Food ? FoodTex.get() : GetTex.get();
    return t ? TPictureSize{t->Width(), t->Height()} : TPictureSize{};
}

void TFormGraphics::LoadPicture(TPicture picture, const std::string& entry) {
    TDGTexture* t = picture == TPicture::Food ? FoodTex.get() : GetTex.get();
    if (!t) return;
    t->LoadFromFile(entry, ArchivePath());
    t->SetColorKey(Black);
}

TDeviceState TFormGraphics::TestCooperativeLevel() {
    IRenderDevice* d = DG.D3DDevice();
    if (!d) return TDeviceState::Lost;
    const HRESULT hr = d->TestCooperativeLevel();
    if (hr == D3D_OK) return TDeviceState::Ok;
    return hr == D3DERR_DEVICENOTRESET ? TDeviceState::NotReset : TDeviceState::Lost;
}

void TFormGraphics::ResetDevice() {
    DG.ResetDevice();
}

void TFormGraphics::BeginScene() {
    if (IRenderDevice* d = DG.D3DDevice()) d->BeginScene();
}

void TFormGraphics::RenderScene() {
    if (Scene) Scene->Render();
}

void TFormGraphics::EndScene() {
    if (IRenderDevice* d = DG.D3DDevice()) d->EndScene();
}

void TFormGraphics::Present() {
    if (IRenderDevice* d = DG.D3DDevice()) d->Present();
}

void TFormGraphics::TextToTexture(TDGTexture& Texture, TDGTexture* Backing, const std::string& Text,
                                  TSXTextWriter& Writer) {
    if (Text.empty()) return;
    const std::string sjis = Utf8ToSjis(Text);
    // An italic line leans out of its measured box: half an "a" more on the right.
    const int32_t extra = (Writer.Font().Style & fsItalic) ? Writer.TextWidth("a") / 2 : 0;
    const auto w = static_cast<uint32_t>(Writer.TextWidth(sjis) + extra);
    const auto h = static_cast<uint32_t>(Writer.TextHeight(sjis));
    if (Backing) {
        Backing->SetSize(w, h);
        Backing->FillRect(Rect(0, 0, static_cast<int32_t>(Backing->TextureWidth()),
                               static_cast<int32_t>(Backing->TextureHeight())),
                          0xBB5A28C7, false);
    }
    Texture.SetSize(w, h);
    Texture.FillRect(Rect(0, 0, static_cast<int32_t>(Texture.TextureWidth()),
                          static_cast<int32_t>(Texture.TextureHeight())),
                     0x00FFFFFF, false);
    Writer.TextOut(0, 0, sjis, Texture);
}
