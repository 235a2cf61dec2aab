#pragma once
// TForm1: the main window's logic without any toolkit — the game state, the board, the
// idle tick, the play rules, the controls and the saved game. The window (app/) owns
// one, forwards its idle notification, key-down events and menu clicks to it, and
// mirrors its menu and life bar models into real controls.
#include "base/Clock.h"
#include "base/Random.h"
#include "game/FormComponents.h"
#include "game/FrameState.h"
#include "game/GameMusic.h"
#include "game/GameState.h"
#include "game/HighScores.h"
#include "game/SaveImage.h"
#include "game/StatusTexts.h"
#include "input/VirtualKeys.h"
#include "music/GameSettings.h"
#include "ui/Host.h"
#include "ui/MenuItem.h"
#include "ui/ProgressBar.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// The frame's drawing, done by the screen composition after the game-state pass.
class IFrameDrawer {
public:
    virtual ~IFrameDrawer() = default;
    // Clears the target and queues the whole frame into the scene from the state.
    virtual void DrawFrame(const TFrameState& frame) = 0;
    // Draws everything queued (the scene's Render), between BeginScene and EndScene.
    virtual void RenderScene() = 0;
};

class TForm1 : public TGameState {
public:
    // What the window provides: the clock, the host, the program folder and the platform
    // behind the components (the graphics device's owner, the audio output, the input).
    TForm1(IClock& clock, THost& host, std::string exeDir, TFormPlatform platform);
    TForm1(const TForm1&) = delete;
    TForm1& operator=(const TForm1&) = delete;
    ~TForm1();

    // Start-up of the game's part: the pictures the rules need, the start values, the
    // seed and the board behind the title. Raises what the layers raise on a bad file.
    void FormCreate();

    // The idle tick; Done is true on entry and set to false to be called again at once.
    // A failed game-clear write raises its EStreamError through it, for the window to show.
    void ApplicationEvents1Idle(bool& Done);
    // Draws one frame if the device allows it; resets a device that asks for it. True
    // when a frame was presented.
    bool RenderFrame();
    // Between BeginScene and EndScene: handles pending window messages (Enter and Space
    // may run here), runs the state pass, then lets the drawer queue the frame.
    void ComposeFrame();
    // The game-state steps of a frame, in the frame's order: the food's hop, the cats'
    // step, the fall, the time text, the blinks and the growth of the game-clear picture.
    TFrameState UpdateFrameState();

    // A key-down event of the window (Enter and Space; other keys are ignored).
    void FormKeyDown(uint16_t& Key);
    // A key or pad button of an action went down: 決定 and ハムスター回転 do what Enter
    // and Space do, 消音 toggles the sound. The movements are polled by the frame loop;
    // the pause belongs to the window.
    void ActionDown(TAction action);
    // The action of a key (an input-layer key code) in the settings' bindings.
    std::optional<TAction> ActionOfKey(uint8_t key) const { return Settings.Keys.ActionOfKey(key); }

    // The player's settings, read at start-up from UserFileToRead("Settei.ini").
    TGameSettings Settings;
    // Takes new settings: the movement keys go to the input component and the volumes
    // and mute to the mixer at once.
    void ApplySettings(const TGameSettings& settings);
    // Sets the mixer's gains (a dialog's sliders heard while they move); Settings stays.
    void ApplySoundLevels(const TSoundOptions& sound);
    // Writes Settings to UserDir's Settei.ini, keeping what the file read held besides;
    // raises Exception when it cannot be written.
    void WriteSettings();
    // Turns all sound off or on, shows "消音" or "消音解除" for a second in the help
    // line's place and keeps the choice in the settings file (a failed write is shown).
    void ToggleMute();
    // Whether the notice lies in the help line's place now (its text is TStatusText::Notice).
    bool NoticeShown() const { return NoticeOn_; }

    void NewBoard();
    // One movement step; true when the tick ends at once (food, bite, lost by a bite).
    bool MoveStep();
    void CheckFood();
    void CheckCatBite();
    void CheckFall();
    // One hop, one step of every cat, one shrink of the fall; the state pass calls them
    // when they are due.
    void StepFood();
    void StepCats();
    void StepFall();

    // The saved game.
    void ReadRecordFile();       // start-up: the image and the high score, when the file exists
    void WriteSavedGame();       // copy the live state in and write the file
    void WriteGameClear();       // game clear: mark the image finished, new high score, write
    void StoreInterruptedTime(); // close during play: elapsed board time into the image
    bool CanOfferResume() const; // not a finished game, the file exists and can be played
    void RestoreSavedGame();     // copy the image back, reload the food, redraw the values
    // Where the saved game is written (in UserDir).
    std::string RecordFilePath() const;
    // Where a file the game writes goes: UserDir followed by name. Raises EFCreateError
    // when there is no user folder (nothing can be kept).
    std::string UserFileToWrite(const std::string& name) const;
    // A file the game writes, read from the newest copy of UserDir, the program's Data
    // folder (a game saved while that folder was the player's) and XdgDir: a copy kept in
    // the user's data folder is never hidden by an older one in the program's folder.
    // The program folder's name when there is none.
    std::string UserFileToRead(const std::string& name) const;

    // Hooks for the music, the resume question and the drawing (none: nothing happens).
    void SetMusic(IGameMusic* music) { Music = music; }
    void SetResumeHandler(std::function<void()> handler) { ResumeHandler = std::move(handler); }
    void SetFrameDrawer(IFrameDrawer* drawer) { Drawer = drawer; }
    // Milliseconds until the idle handler's next tick is due (0: it is due now), so that
    // the window's idle driver can wait instead of calling the handler in a spin.
    uint32_t MsUntilNextTick();
    // The clock the music times its tracks by: the game's clock unless the window gives
    // another (the window may hold the game's clock still while the music goes on).
    IClock& MusicClock() { return MusicClock_ ? *MusicClock_ : Clock; }
    void SetMusicClock(IClock* clock) { MusicClock_ = clock; }

    IClock& Clock;
    THost& Host;
    const std::string ExeDir;
    // The folder (with a trailing separator) the saved game and the settings are written
    // to: the program's Data folder unless the window chooses another (UserDataDir).
    // Empty: no folder to keep anything in.
    std::string UserDir;
    // The user's data folder (XdgDataDir), read from beside UserDir; empty for none.
    std::string XdgDir;
    // While a command lets window messages through that must not act on the game (a
    // music folder's scan), key presses and menu commands are dropped (TInputHold).
    bool InputHeld = false;
    TRandom Random;
    TFormComponents Components;
    TMainMenu MainMenu1;
    TProgressBar PBLife{64, 467, 169, 25, MaxLife, true};
    TStatusTexts Texts;
    TSaveImage SaveImage;
    // The top ten, in UserDir (read by FormCreate).
    THighScores Scores{Host};
    int32_t ClientWidth = 764;
    int32_t ClientHeight = 500;

private:
    bool AfterMove();
    void EnableTopMenus(bool enabled);
    void EndPlay(); // Hamster.Active := false; enable the three menus
    void EnterPressed();
    void ContinueRestoredBoard();
    void StartNextBoard();
    void RestartAfterGameClear();
    void ContinueAfterGameOver();
    void ShowLife(int32_t barValue);
    void ShowScore();
    void ShowHighScore();
    void ShowFoods();
    void ShowRecordLine(int32_t n);
    void ShowTimeUnsigned(uint32_t t);
    void ChangeGetPicture();
    void StartGameClear();
    void StepBlinks(uint32_t now);
    void StepClearGrowth(uint32_t now);
    void StepNotice();
    uint32_t Now() { return Clock.Now(); }

    IGameMusic* Music = nullptr;
    std::function<void()> ResumeHandler;
    IFrameDrawer* Drawer = nullptr;
    IClock* MusicClock_ = nullptr;
    bool NoticeOn_ = false;
    uint32_t NoticeStart_ = 0;
};

// Holds the form's input for as long as it lives (nested holds keep it held).
class TInputHold {
public:
    explicit TInputHold(TForm1& form) : form_(form), was_(form.InputHeld) { form_.InputHeld = true; }
    ~TInputHold() { form_.InputHeld = was_; }
    TInputHold(const TInputHold&) = delete;
    TInputHold& operator=(const TInputHold&) = delete;

private:
    TForm1& form_;
    bool was_;
};
