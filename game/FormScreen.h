#pragma once
// The screen of the main window: the sprite scene, the two text writers and every
// texture the frame shows besides the pictures the rules own (hamster, food, board
// clear), and the composition of each frame (background, board, food, cats, hamster,
// status panel and the pictures of the current phase) from the form's state.
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

// v rounded to the nearest integer, halves to even.
int32_t Nearest(double v);

class TFormScreen : public IFrameDrawer {
public:
    // The form whose device it draws with and whose state its frames show.
    explicit TFormScreen(const TForm1& form);
    ~TFormScreen() override;
    TFormScreen(const TFormScreen&) = delete;
    TFormScreen& operator=(const TFormScreen&) = delete;

    // The screen's part of start-up, once the form's components have made the device:
    // the scene, the writers with the window font, and every texture with its colour
    // key or label text. Raises what the layers raise on a bad file.
    void Loaded();

    // IFrameDrawer: clears the target and queues the whole frame; draws the queue.
    void DrawFrame(const TFrameState& frame) override;
    void RenderScene() override;

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

    std::unique_ptr<TSXScene> Scene;
    std::unique_ptr<TSXTextWriter> ValueWriter;
    std::unique_ptr<TSXTextWriter> LabelWriter;

    std::unique_ptr<TDGTexture> BackgroundTex, VLineTex, HLineTex;
    std::unique_ptr<TDGTexture> LifeValueTex;
    std::array<std::unique_ptr<TDGTexture>, 4> CatTex;
    std::unique_ptr<TDGTexture> GameOverTex, TimeValueTex, TimeLabelTex;
    std::array<std::unique_ptr<TDGTexture>, 3> RecordValueTex;
    std::unique_ptr<TDGTexture> RecordLabelTex, ScoreValueTex, ScoreLabelTex, HighScoreValueTex,
        HighScoreLabelTex, FoodsValueTex, FoodsLabelTex, HelpLineTex, MessageTex, MessageBackTex, TitleTex,
        LogoTex, NoticeTex;

    // The pictures the rules own.
    TDGTexture& HamsterTex(int32_t dir) const {
        return *form_.Components.HamsterTex[static_cast<size_t>(dir & 3)];
    }
    TDGTexture& FoodTex() const { return *form_.Components.FoodTex; }
    TDGTexture& GetTex() const { return *form_.Components.GetTex; }

private:
    std::unique_ptr<TDGTexture> NewTexture();
    std::unique_ptr<TDGTexture> ArchiveTexture(const std::string& entry, uint32_t key);
    TDGTexture* TextTexture(TStatusText which);
    void ReleaseTextures();
    void DrawBoard();
    void DrawCentred(TDGTexture& tex, int32_t col, int32_t row);
    void DrawHamster(const TFrameState& frame);
    void DrawPanel();
    void DrawPhasePictures(const TFrameState& frame);
    int32_t CentredX(const TDGTexture& tex) const;

    const TForm1& form_;
    std::array<uint32_t, static_cast<size_t>(TStatusText::Count)> rendered_{};
};
