/*
 * hotkey_dialog.h: the hotkey dialog (template 204), working on a copy
 * of Settings.Hotkeys that OK stores.
 */
#ifndef KESTRUM_UI_HOTKEYS_HOTKEY_DIALOG_H
#define KESTRUM_UI_HOTKEYS_HOTKEY_DIALOG_H

#include <windows.h>

INT_PTR CALLBACK HotkeyDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

#endif
