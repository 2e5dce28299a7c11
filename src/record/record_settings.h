// The auto recorder's levels and the timer slots are stored with the engine settings; this
// hands them to the settings store, which sits below the recorder and cannot call it.
#pragma once

void RegisterRecordSettings();  // before the first LoadSettings
