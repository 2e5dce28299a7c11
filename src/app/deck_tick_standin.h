// The deck tick as the main window's timer sees it: runs one tick and yields the state to show.
#pragma once
#include <cstdint>

int32_t RunDeckTick();
