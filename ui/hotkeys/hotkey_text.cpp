/*
 * hotkey_text.cpp: hotkey values as text.
 */
#include "hotkey_text.h"

#include <windows.h>

#include "../../core/text.h"
#include "hotkey_actions.h"

/* Keys whose system names are missing, long or layout-dependent. */
static const wchar_t *OwnKeyName(int key)
{
    switch (key) {
    case VK_TAB: return L"Tab";
    case VK_PRIOR: return L"PgUp";
    case VK_NEXT: return L"PgDn";
    case VK_LEFT: return L"←";
    case VK_UP: return L"↑";
    case VK_RIGHT: return L"→";
    case VK_DOWN: return L"↓";
    case VK_APPS: return L"Menu 키";
    case VK_OEM_3: return L"`";
    default: return NULL;
    }
}

void HotkeyToText(int value, wchar_t *buf, int size)
{
    if (size <= 0)
        return;
    int key = value & 0xFF;
    if (!key) {
        StrCopyTo(buf, size, L"(없음)");
        return;
    }
    wchar_t name[64];
    const wchar_t *own = OwnKeyName(key);
    if (own) {
        StrCopyTo(name, 64, own);
    } else {
        LONG code = (LONG)(MapVirtualKeyW(key, MAPVK_VK_TO_VSC) << 16);
        /* without the extended bit these name the keypad's keys */
        if (key == VK_END || key == VK_HOME || key == VK_INSERT || key == VK_DELETE)
            code |= 1L << 24;
        if (GetKeyNameTextW(code, name, 64) <= 0) {
            wchar_t number[1025];
            StrFormat(number, L"VK %d", key);
            StrCopyTo(name, 64, number);
        }
    }
    wchar_t text[1025];
    StrFormat(text, L"%s%s%s%s", value & HK_CTRL ? L"Ctrl+" : L"", value & HK_SHIFT ? L"Shift+" : L"",
              value & HK_ALT ? L"Alt+" : L"", name);
    StrCopyTo(buf, size, text);
}
