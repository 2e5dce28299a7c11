// Engine start-up and shutdown, run by the main window: at creation every subsystem comes up in
// a fixed order, and the first step that fails stops the start-up with its error number
// (InitErrorNo); at destruction they go down again in their own order.
#pragma once
#include <cstdint>

// One start-up step: run returns 0 on success, otherwise the error number of the failure.
struct StartupStep {
    const char* name;  // for tests and diagnostics
    int (*run)();      // 0 = done; otherwise the step failed with the returned error number
};

// Runs steps in order until one fails; returns 0 when all succeeded, else that step's number.
uint32_t RunStartupSteps(const StartupStep* steps, int count, int* failedIndexOut);

// The deck's start-up: keeps the device index and the two handles, runs every step and sets
// InitErrorNo. Returns 1 on success, 0 on failure.
int EngineStartup(int deviceIndex, void* instance, void* mainWindow);

// The deck's shutdown, from WM_DESTROY. Stops after the playlist's save when that fails.
void EngineShutdown();

// The start-up table itself, for tests that check its order.
const StartupStep* EngineStartupSteps(int* countOut);
