// Native platform actions of the pop-up menu: counted for tests.
#include "app/deck_menu.h"

namespace {
struct MenuActions {
    int faceSize, topmost, makerPage, about;  // calls of each action
};
MenuActions g_menuActions;
}  // namespace

void ApplyFaceSize() { g_menuActions.faceSize++; }
void ApplyTopmost() { g_menuActions.topmost++; }
void OpenMakerPage() { g_menuActions.makerPage++; }
void ShowAboutBox() { g_menuActions.about++; }
