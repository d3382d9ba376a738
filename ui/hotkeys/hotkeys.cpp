/*
 * hotkeys.cpp: registering the hotkeys and the modal bracket.
 */
#include "hotkeys.h"

#include <windows.h>

#include "../../config/settings.h"
#include "../shell/main_window.h"
#include "../tree/tree_view.h"
#include "hotkey_actions.h"

int ModalDepth;
bool HotkeysActive;

void SetHotkeysActive(bool on)
{
    if (!MainWindow)
        return;
    if (on && (ModalDepth > 0 || TreeDragging()))
        on = false;
    if (on == HotkeysActive)
        return;
    for (int i = 0; i < HOTKEY_COUNT; i++) {
        int value = Settings.Hotkeys[i];
        if (on) {
            if (value & 0xFF)
                RegisterHotKey(MainWindow, HOTKEY_ID_BASE + i, HotkeyModifiers(value), value & 0xFF);
        } else {
            /* by id, whatever the value says now: values changed while
             * registered must not leave their old key behind */
            UnregisterHotKey(MainWindow, HOTKEY_ID_BASE + i);
        }
    }
    HotkeysActive = on;
}

void BeginModal(void)
{
    ModalDepth++;
    SetHotkeysActive(false);
}

void EndModal(void)
{
    if (ModalDepth > 0)
        ModalDepth--;
    if (ModalDepth == 0 && GetForegroundWindow() == MainWindow)
        SetHotkeysActive(true);
}
