#pragma once
// The graphics side of the main window: the device component DG, the sprite scene, the
// two text writers and every texture of the game, and the composition of each frame
// (background, board, food, cats, hamster, status panel and the pictures of the
// current phase) from the form's state.
#include "game/FormComponents.h"
#include "game/StatusTexts.h"
#include "game/Unit1.h"
#include "graphics/DGTexture.h"
#include "graphics/DODozuz9.h"
#include "graphics/SXScene.h"
#include "graphics/SXTextWriter.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

// The window's font: "MS UI Gothic", 21 pixels, bold italic, Shift-JIS.
TSXFont WindowFont();

// N rounded to the nearest integer, halves to even.
int32_t Nearest(double v);

class TFormGraphics : public IFormGraphics, public IFrameDrawer {
public:
    // owner: the window (client size, where the render driver comes from).
    TFormGraphics(IDGOwner& owner, std::string exeDir);
    ~TFormGraphics() override;
    TFormGraphics(const TFormGraphics&) = delete;
    TFormGraphics& operator=(const TFormGraphics&) = delete;

    // The form whose state the frames show; set once the form exists.
    void Attach(const TForm1& form) { form_ = &form; }

    // IFormGraphics: the device for the client size, the scene, the writers and every
    // texture of start-up with its colour key and label text.
    void Loaded() override;
    TPictureSize HamsterSize(int32_t dir) override;
    TPictureSize PictureSize(TPicture picture) override;
    void LoadPicture(TPicture picture, const std::string& entry) override;
    TDeviceState TestCooperativeLevel() override;
    void ResetDevice() override;
    void BeginScene() override;
    void RenderScene() override;
    void EndScene() override;
    void Present() override;

    // IFrameDrawer: clears the target and queues the whole frame.
    void DrawFrame(const TFrameState& frame) override;

    // Queues the whole texture at its own size (blend mode 2, point sampling, overlay).
    void DrawSprite(TDGTexture& Texture, int32_t X, int32_t Y, uint32_t Colour);
    // The same stretched into a W x H rectangle.
    void DrawSpriteSized(TDGTexture& Texture, int32_t X, int32_t Y, int32_t W, int32_t H, uint32_t Colour);
    // Renders Text (UTF-8) into Texture; Backing, when given, gets a box of the same size.
    // An empty text leaves the texture as it was.
    void TextToTexture(TDGTexture& Texture, TDGTexture* Backing, const std::string& Text,
                       TSXTextWriter& Writer);
    // Renders every status text whose value changed since it was last rendered.
    void RefreshTexts();

    TDODozuz DG;
    std::unique_ptr<TSXScene> Scene;
    std::unique_ptr<TSXTextWriter> ValueWriter;
    std::unique_ptr<TSXTextWriter> LabelWriter;

    std::unique_ptr<TDGTexture> BackgroundTex, VLineTex, HLineTex;
    std::array<std::unique_ptr<TDGTexture>, 4> HamsterTex;
    std::unique_ptr<TDGTexture> LifeValueTex;
    std::array<std::unique_ptr<TDGTexture>, 4> CatTex;
    std::unique_ptr<TDGTexture> FoodTex, GameOverTex, GetTex, TimeValueTex, TimeLabelTex;
    std::array<std::unique_ptr<TDGTexture>, 3> RecordValueTex;
    std::unique_ptr<TDGTexture> RecordLabelTex, ScoreValueTex, ScoreLabelTex, HighScoreValueTex,
        HighScoreLabelTex, FoodsValueTex, FoodsLabelTex, HelpLineTex, MessageTex, MessageBackTex, TitleTex,
        LogoTex;

private:
    std::unique_ptr<TDGTexture> NewTexture();
    std::unique_ptr<TDGTexture> ArchiveTexture(const std::string& entry, uint32_t key);
    TDGTexture* TextTexture(TStatusText which);
    std::string ArchivePath() const;
    void DrawBoard(const TForm1& f);
    void DrawCentred(TDGTexture& tex, int32_t col, int32_t row);
    void DrawHamster(const TForm1& f, const TFrameState& frame);
    void DrawPanel(const TForm1& f);
    void DrawPhasePictures(const TForm1& f, const TFrameState& frame);
    int32_t CentredX(const TDGTexture& tex) const;

    std::string exeDir_;
    const TForm1* form_ = nullptr;
    std::array<uint32_t, static_cast<size_t>(TStatusText::Count)> rendered_{};
};
