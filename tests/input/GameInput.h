#pragma once
// The input component set up the way the game sets it up: halt option only, devices
// opened by Loaded, the arrows (set 0) and the keypad's 8, 2, 4, 6 (set 1) bound to
// buttons 0 to 3. The keyboard and mouse are fed by the test; the controllers are a
// fake list.
#include "input/Ddidex.h"
#include "input/DikCodes.h"
#include "input/FakeControllers.h"
#include "input/WindowInput.h"
#include "support/FatalCatcher.h"

#include <memory>

struct GameInput {
    FatalCatcher halts; // a halt fails the test instead of ending it
    FakeControllers* controllers;
    WindowInput platform;
    TDDIDEX input;

    GameInput() : GameInput(std::make_unique<FakeControllers>()) {}
    explicit GameInput(std::unique_ptr<FakeControllers> list)
        : controllers(list.get()), platform(std::move(list)), input(platform) {}

    // What the window does at start-up.
    void Start() {
        input.SetDebugOption(dioHaltOnError);
        input.Loaded();
        const int32_t arrows[] = {DIK_UP, DIK_DOWN, DIK_LEFT, DIK_RIGHT};
        const int32_t keypad[] = {DIK_NUMPAD8, DIK_NUMPAD2, DIK_NUMPAD4, DIK_NUMPAD6};
        for (int32_t i = 0; i < 4; ++i) {
            input.SetKeyAssign(0, i, arrows[i]);
            input.SetKeyAssign(1, i, keypad[i]);
        }
    }
    KeyboardDevice& Keys() { return platform.Keyboard(); }
    // Buttons 0..31 that are down after the last update.
    std::vector<int> Down() const {
        std::vector<int> down;
        for (int i = 0; i < TDDIDEX::kButtons; ++i)
            if (input.Button(i)) down.push_back(i);
        return down;
    }
};
