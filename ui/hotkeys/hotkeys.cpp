/*
 * hotkeys.cpp: registering the hotkeys and the modal bracket.
 */
#include "hotkeys.h"

#include <windows.h>

#include "../../config/settings.h"
#include "../shell/main_window.h"
#include "../tree/tree_view.h"
#include "hotkey_actions.h"

int ModalCount;

void SetHotkeysActive(bool on)
{
    if (!MainWindow)
        return;
    if (ModalCount > 0 || TreeDragging())
        on = false;
    for (int i = 0; i < HOTKEY_COUNT; i++) {
        UnregisterHotKey(MainWindow, HOTKEY_ID_BASE + i);
        int value = Settings.Hotkeys[i];
        if (!on || !(value & 0xFF))
            continue;
        UINT mods = (value & HK_SHIFT ? MOD_SHIFT : 0) | (value & HK_CTRL ? MOD_CONTROL : 0) |
                    (value & HK_ALT ? MOD_ALT : 0);
        RegisterHotKey(MainWindow, HOTKEY_ID_BASE + i, mods, value & 0xFF);
    }
}

void BeginModal(void)
{
    if (ModalCount++ == 0)
        SetHotkeysActive(false);
}

void EndModal(void)
{
    if (ModalCount > 0 && --ModalCount == 0 && GetForegroundWindow() == MainWindow)
        SetHotkeysActive(true);
}
