// Native build only: what the deck asked of its windows.
#pragma once

int PropertySheetRuns();
int PlaylistWindowOpens();
int PlaylistWindowDisabled();
void ResetDeckUiForTest();
