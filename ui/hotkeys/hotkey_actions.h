/*
 * hotkey_actions.h: the 28 hotkey actions.
 *
 * A hotkey value keeps the virtual key in bits 0-7 and the modifiers
 * HK_SHIFT, HK_CTRL and HK_ALT; 0 is "no hotkey".  Row i registers as
 * hotkey id 100 + i and is stored under its Name in the configuration.
 */
#ifndef KESTRUM_UI_HOTKEYS_HOTKEY_ACTIONS_H
#define KESTRUM_UI_HOTKEYS_HOTKEY_ACTIONS_H

enum { HOTKEY_COUNT = 28, HOTKEY_ID_BASE = 100 };
enum { HK_SHIFT = 0x2000, HK_CTRL = 0x4000, HK_ALT = 0x8000 };

struct HotkeyAction {
    const wchar_t *Name;
    const wchar_t *Label;
    int Command;
    int Default;
};

extern const HotkeyAction HotkeyActions[HOTKEY_COUNT];

#endif
