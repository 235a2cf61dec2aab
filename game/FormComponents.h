#pragma once
// The window's components as the game's rules use them: the graphics device DG with the
// pictures the rules measure and change, the sound component DDSD1 with the five
// effects on channels 0..4, and the input component DDIDEX1 with the arrows and the
// keypad on buttons 0..3.
//
// The layers' headers are kept out of this one (each layer's source file includes its
// own), so that a file of the game can use the components without pulling in every
// layer's declarations at once.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class IAudioOutput;
class IDGOwner;
class IInputBackend;
class TDDIDEX;
class TDDSD;
class TDDSDWaveData;
class TDGTexture;
class TDODozuz;

enum class TDeviceState { Ok, NotReset, Lost };

// Pictures the rules load or measure.
enum class TPicture { Food, Get };

struct TPictureSize {
    uint32_t Width = 0;
    uint32_t Height = 0;
};

// What the window hands to the game: the owner of the graphics device (its client
// area and render driver), where the sound goes and where the keyboard comes from.
// The owner and the input backend outlive the form.
struct TFormPlatform {
    IDGOwner* Owner = nullptr;
    std::function<std::unique_ptr<IAudioOutput>()> AudioOutput; // empty: the system's audio device
    IInputBackend* Input = nullptr;
};

// An owned component whose type stays incomplete here; its layer's file deletes it.
template <class T> using TOwned = std::unique_ptr<T, void (*)(T*)>;

class TFormComponents {
public:
    TFormComponents(std::string exeDir, TFormPlatform platform);
    ~TFormComponents();
    TFormComponents(const TFormComponents&) = delete;
    TFormComponents& operator=(const TFormComponents&) = delete;

    // The components' device work, then the game's part of start-up: the device for the
    // client area, the five sound effects, the key assignment and the pictures the
    // rules use (the four hamsters, the food, the board-clear picture).
    void Loaded();

    int32_t ClientWidth() const;
    int32_t ClientHeight() const;

    // Pictures. LoadPicture reads an entry of "Data\data.qda" and makes pure black
    // transparent.
    void LoadPicture(TPicture picture, const std::string& entry);
    TPictureSize PictureSize(TPicture picture) const;
    // The archive entry the picture was last loaded from.
    std::string PictureEntry(TPicture picture) const;
    // The size of the hamster picture for a facing (0 right, 1 down, 2 left, 3 up).
    TPictureSize HamsterSize(int32_t dir) const;

    // Plays sound channel 0 cat, 1 fall, 2 hit-cat, 3 get, 4 apple once from its start.
    void PlaySound(int32_t channel);
    // The mixer's gains: all sound by master, the music by music, the effects by effects
    // (percent on the perceptual scale); muted silences all of it.
    void SetSoundLevels(int32_t master, int32_t music, int32_t effects, bool muted);

    // The two keys of each movement (up, down, left, right) as key-assignment sets 0 and 1;
    // 0 leaves a set without a key. Taken at once, and again at every start-up.
    using TArrowKeys = std::array<std::array<uint8_t, 2>, 4>;
    void AssignArrowKeys(const TArrowKeys& keys);
    // Refreshes the keyboard state; ButtonDown then reads button 0 up, 1 down, 2 left, 3 right.
    void PollKeyboard();
    bool ButtonDown(int32_t button) const;

    // The device's frame.
    TDeviceState TestCooperativeLevel();
    void ResetDevice();
    void BeginScene();
    void EndScene();
    void Present();

    std::string ArchivePath() const;
    // The archive a picture of the board's end is read from: the chosen language's own
    // (Data/data_en.qda) when it holds an entry of that name, else data.qda.
    std::string PictureArchive(const std::string& entry) const;

    TOwned<TDODozuz> DG;
    TOwned<TDDSD> DDSD1;
    TOwned<TDDIDEX> DDIDEX1;
    // CatWave, FallWave, HitCatWave, GetWave, AppleWave on channels 0..4.
    std::array<TOwned<TDDSDWaveData>, 5> Waves;
    // By facing: kuro_R, kuro_Down, kuro_L, kuro_Up.
    std::array<TOwned<TDGTexture>, 4> HamsterTex;
    TOwned<TDGTexture> FoodTex;
    // The board-clear picture shown now: one of GetPictures.
    TDGTexture* GetTex = nullptr;

private:
    // Each defined by its layer's file.
    static TOwned<TDODozuz> MakeDG(IDGOwner& owner);
    static TOwned<TDDSD> MakeDDSD(std::function<std::unique_ptr<IAudioOutput>()> output);
    static TOwned<TDDIDEX> MakeDDIDEX(IInputBackend& input);
    void LoadGraphics();
    void LoadSounds();
    void LoadKeys();
    void ReleasePictures();
    TDGTexture& Texture(TPicture picture) const;

    // The board-clear pictures, each loaded from the archive once and kept: they change at
    // a food eaten in play (get, 10get, 20get, GC), which then only chooses one.
    std::vector<TOwned<TDGTexture>> GetPictures;

    std::string exeDir_;
    TArrowKeys arrowKeys_{}; // the arrows and the keypad's 8 2 4 6 until assigned
};
