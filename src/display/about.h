// The About box (dialog 117): the program's icon, the dissolving logo, the product version and the
// legal notice of the program's version record, drawn with the dialog look.
#pragma once

// Runs the About box modally; 1 when closed with OK, 0 with Cancel or Escape.
int ShowAbout(void* owner);
// A value of the program's version record in the system language's table (VERSION_PRODUCT or
// VERSION_LEGAL of dialog_look.h). The buffer starts empty; a program without a version record
// leaves it so; a missing value gives "Not Available". Returns 1 when the value was found.
int GetVersionString(wchar_t* buffer, int chars, int which);
// Moves the window to the middle of the screen without repainting.
void CentreOnScreen(void* window);
