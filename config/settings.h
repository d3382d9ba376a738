/*
 * settings.h: the global options with their defaults.
 *
 * Fields carry the names of their XML elements in the configuration.
 */
#ifndef KESTRUM_CONFIG_SETTINGS_H
#define KESTRUM_CONFIG_SETTINGS_H

#include "../core/files.h"

enum { RECENT_MAX = 15 };

/* The hotkeys, row by row: a value keeps the virtual key in bits 0-7 and
 * the modifiers HK_SHIFT, HK_CTRL and HK_ALT; 0 is "no hotkey".  A row is
 * stored under its Name; ui/hotkeys gives the rows, in the same order,
 * their labels and commands. */
enum { HOTKEY_COUNT = 30 };
enum { HK_SHIFT = 0x2000, HK_CTRL = 0x4000, HK_ALT = 0x8000 };
struct HotkeySetting {
    const wchar_t *Name;
    int Default;
};
extern const HotkeySetting HotkeySettings[HOTKEY_COUNT];

/* Laid out as the platform's WINDOWPLACEMENT (44 bytes). */
struct WindowPlacement {
    int Length;
    int Flags;
    int ShowCmd;
    int MinX, MinY;
    int MaxX, MaxY;
    int Left, Top, Right, Bottom;
};

struct SettingsRecord {
    wchar_t PuttyPath[KPATH];
    int TabCaption;
    int CloseOnNormalEnd;
    int KeepOnAbnormalEnd;
    int AutoReconnect;
    int ReconnectDelay;
    int NoQuitConfirm;
    int NoCloseConfirm;
    int CloseButtonOnTabs;
    int TabBottom;
    int ShowStartPage;
    int SaveLayout;
    int SaveSessions;
    int HideMenu;
    int HideToolbar;
    int HideTree;
    int HideSessions;
    int ViewMode;
    int ShowBroadcastBar;
    int ViewMembersOnly;        /* the tiled view modes show the broadcast group alone */
    int PasswordMode;
    int PasswordDelay;
    int TreeWidth;
    int SessionsHeight;
    WindowPlacement Window;
    bool WindowValid;
    int Hotkeys[HOTKEY_COUNT];
    int PuttySessionsExpanded;
    wchar_t *Recents[RECENT_MAX];   /* most recent first; unused slots null */
    wchar_t *SendScriptText;
    int SendScriptTarget;
    int SendScriptDelay;
    wchar_t SessionLogFolder[KPATH];    /* where the servers' session logs go; "" for none chosen */
    int SessionLog;                     /* logs are written (while a folder is chosen) */
};

extern SettingsRecord Settings;

/* Releases the owned texts, zeroes the record, sets the defaults. */
void SettingsSetDefaults(void);

#endif
