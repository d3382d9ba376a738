/*
 * menus.cpp: building, updating and tracking the menus.
 */
#include "menus.h"

#include <windows.h>
#include <commctrl.h>

#include "../../config/server_tree.h"
#include "../../config/settings.h"
#include "../../core/text.h"
#include "../../sessions/key_script.h"
#include "../../sessions/session.h"
#include "../commands/commands.h"
#include "../hotkeys/hotkey_actions.h"
#include "../hotkeys/hotkey_text.h"
#include "../hotkeys/hotkeys.h"
#include "../tree/tree_view.h"
#include "layout.h"
#include "main_window.h"
#include "menu_rules.h"
#include "tabs.h"

HMENU MenuBar;
int SystemMenuMirror[SYSTEM_MENU_MIRROR_MAX];
int SystemMenuMirrorCount;

void AppendMenuItemWithHotkey(HMENU menu, int command, const wchar_t *label)
{
    int value = 0;
    for (int i = 0; i < HOTKEY_COUNT; i++)
        if (HotkeyActions[i].Command == command) {
            value = Settings.Hotkeys[i];
            break;
        }
    wchar_t text[1025];
    if (value & 0xFF) {
        wchar_t key[64];
        HotkeyToText(value, key, 64);
        StrFormat(text, L"%s\t%s", label, key);
    } else {
        StrCopyTo(text, 1025, label);
    }
    AppendMenuW(menu, MF_STRING, (UINT_PTR)command, text);
}

HMENU BuildSpecialKeysMenu(void)
{
    HMENU popup = CreatePopupMenu();
    for (int i = 0; i < SPECIAL_KEY_COUNT; i++)
        AppendMenuW(popup, MF_STRING | (SpecialKeyStartsColumn(i) ? MF_MENUBARBREAK : 0),
                    (UINT_PTR)(CMD_SPECIAL_KEY_FIRST + i), SpecialKeyTable[i].Label);
    return popup;
}

HMENU BuildColorMenu(void)
{
    HMENU popup = CreatePopupMenu();
    for (int i = 0; i < NODE_COLOR_COUNT; i++)
        AppendMenuW(popup, MF_STRING, (UINT_PTR)(CMD_COLOR_FIRST + i), ColorLabels[i]);
    return popup;
}

/* Moving, sizing and closing the window are the host's business. */
static bool WindowManagementCommand(UINT id)
{
    return id == SC_SIZE || id == SC_MOVE || id == SC_MINIMIZE || id == SC_MAXIMIZE || id == SC_CLOSE ||
           id == SC_RESTORE;
}

HMENU BuildPuttySystemMenu(const Session *s)
{
    HMENU popup = CreatePopupMenu();
    SystemMenuMirrorCount = 0;
    HMENU system = s && s->PuttyWindow ? GetSystemMenu(s->PuttyWindow, FALSE) : NULL;
    if (!system)
        return popup;
    int count = GetMenuItemCount(system);
    for (int pos = 0; pos < count && SystemMenuMirrorCount < SYSTEM_MENU_MIRROR_MAX; pos++) {
        wchar_t text[128];
        text[0] = 0;
        MENUITEMINFOW mi;
        ZeroMemory(&mi, sizeof mi);
        mi.cbSize = sizeof mi;
        mi.fMask = MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING | MIIM_FTYPE;
        mi.dwTypeData = text;
        mi.cch = 128;
        if (!GetMenuItemInfoW(system, (UINT)pos, TRUE, &mi))
            continue;
        if (mi.fType & MFT_SEPARATOR) {
            AppendMenuW(popup, MF_SEPARATOR, 0, NULL);
            continue;
        }
        if (mi.hSubMenu || !text[0] || WindowManagementCommand(mi.wID))
            continue;
        UINT flags = MF_STRING;
        if (mi.fState & (MFS_GRAYED | MFS_DISABLED))
            flags |= MF_GRAYED;
        if (mi.fState & MFS_CHECKED)
            flags |= MF_CHECKED;
        SystemMenuMirror[SystemMenuMirrorCount] = (int)mi.wID;
        AppendMenuW(popup, flags, (UINT_PTR)(CMD_PUTTY_SYSMENU_FIRST + SystemMenuMirrorCount), text);
        SystemMenuMirrorCount++;
    }
    return popup;
}

/* Appends menu rows; s gives the PuTTY menu of a tab context menu. */
static void AppendRows(HMENU menu, const MenuRow *rows, int n, const Session *s)
{
    for (int i = 0; i < n; i++) {
        const MenuRow &r = rows[i];
        switch (r.Kind) {
        case MENU_ROW_ITEM:
            AppendMenuItemWithHotkey(menu, r.Command, r.Label);
            break;
        case MENU_ROW_SEPARATOR:
            AppendMenuW(menu, MF_SEPARATOR, 0, NULL);
            break;
        case MENU_ROW_SPECIAL_KEYS:
            AppendMenuW(menu, MF_POPUP | MF_STRING, (UINT_PTR)BuildSpecialKeysMenu(), r.Label);
            break;
        case MENU_ROW_PUTTY_MENU:
            AppendMenuW(menu, MF_POPUP | MF_STRING, (UINT_PTR)BuildPuttySystemMenu(s), r.Label);
            break;
        case MENU_ROW_COLORS:
            AppendMenuW(menu, MF_POPUP | MF_STRING, (UINT_PTR)BuildColorMenu(), r.Label);
            break;
        default:
            break;
        }
    }
}

HMENU BuildMenuBar(void)
{
    HMENU bar = CreateMenu();
    int i = 0;
    while (i < MenuBarRowCount) {
        const wchar_t *title = MenuBarRows[i++].Label;
        int first = i;
        while (i < MenuBarRowCount && MenuBarRows[i].Kind != MENU_ROW_POPUP)
            i++;
        HMENU popup = CreatePopupMenu();
        AppendRows(popup, MenuBarRows + first, i - first, NULL);
        AppendMenuW(bar, MF_POPUP | MF_STRING, (UINT_PTR)popup, title);
    }
    return bar;
}

/* The bar on the main window, or none while it is hidden. */
static void AttachMenuBar(void)
{
    SetMenu(MainWindow, Settings.HideMenu ? NULL : MenuBar);
}

void RebuildMenuBar(void)
{
    HMENU old = MenuBar;
    MenuBar = BuildMenuBar();
    AttachMenuBar();
    if (old)
        DestroyMenu(old);
}

void ToggleMenuBar(void)
{
    Settings.HideMenu = !Settings.HideMenu;
    AttachMenuBar();
    LayoutMainWindow();
}

static void ReadMenuState(MenuState *st)
{
    *st = MenuState();
    st->HideTree = Settings.HideTree != 0;
    st->HideSessions = Settings.HideSessions != 0;
    st->HideToolbar = Settings.HideToolbar != 0;
    st->HideMenu = Settings.HideMenu != 0;
    st->ViewMode = Settings.ViewMode;
    st->TabBottom = Settings.TabBottom != 0;
    st->SessionCount = SessionCount;
    Session *s = ActiveSession();
    st->HasActive = s != NULL;
    st->ActiveHasNode = s && s->Node;
    st->ActiveHasWindow = s && s->PuttyWindow;
    MenuStateSetNode(st, SelectedNode(), PuttySessionsFolder);
    st->ClipboardFull = ClipboardNode != NULL;
    st->ActiveIsMember = s && s->Broadcast;
    st->MemberCount = BroadcastMemberCount();
    st->AnyEnded = AnyEndedSession();
    st->BroadcastBar = Settings.ShowBroadcastBar != 0;
    st->MembersOnly = Settings.ViewMembersOnly != 0;
    st->LogFolderChosen = Settings.SessionLogFolder[0] != 0;
    st->SessionLog = Settings.SessionLog != 0;
}

void UpdateMenuStates(HMENU menu)
{
    MenuState st;
    ReadMenuState(&st);
    for (int id = CMD_QUICK_CONNECT; id <= CMD_COLOR_LAST; id = id == CMD_LAST ? CMD_COLOR_FIRST : id + 1) {
        MenuItemRule rule;
        if (!MenuItemRuleOf(&st, id, &rule))
            continue;
        if (rule.Enables)
            EnableMenuItem(menu, (UINT)id, MF_BYCOMMAND | (rule.Grayed ? MF_GRAYED : MF_ENABLED));
        if (!rule.Checks)
            continue;
        if (rule.RadioFirst && rule.Checked)
            CheckMenuRadioItem(menu, (UINT)rule.RadioFirst, (UINT)rule.RadioLast, (UINT)id, MF_BYCOMMAND);
        else if (!rule.RadioFirst)
            CheckMenuItem(menu, (UINT)id, MF_BYCOMMAND | (rule.Checked ? MF_CHECKED : MF_UNCHECKED));
    }
}

void ShowTabContextMenu(int x, int y)
{
    MenuState st;
    ReadMenuState(&st);
    MenuRow rows[TAB_MENU_MAX];
    int n = TabContextMenuRows(&st, rows);
    Session *s = ActiveSession();
    HMENU menu = CreatePopupMenu();
    AppendRows(menu, rows, n, s);
    UpdateMenuStates(menu);
    TrackMenuFor(menu, TPM_RIGHTBUTTON, x, y, s ? s->Id : 0);
}

void TrackMenuFor(HMENU menu, UINT flags, int x, int y, int sessionId)
{
    /* With the focus in an embedded PuTTY the keys would go to PuTTY's
     * thread, not to the menu; afterwards they go to the active session,
     * which the menu may have changed. */
    HWND focus = GetFocus();
    bool foreign = focus && GetWindowThreadProcessId(focus, NULL) != GetCurrentThreadId();
    if (foreign)
        SetFocus(TabControl);
    BeginModal();
    int command = (int)TrackPopupMenu(menu, flags | TPM_RETURNCMD, x, y, 0, MainWindow, NULL);
    EndModal();
    DestroyMenu(menu);
    if (foreign)
        PostMessageW(MainWindow, WM_APP_RESTORE_FOCUS, 0, 0);
    /* posted, as a menu's own command would be: the caller finishes first */
    if (command)
        PostMessageW(MainWindow, WM_APP_COMMAND_FOR, (WPARAM)command, (LPARAM)sessionId);
}

void ShowPuttySystemMenu(void)
{
    Session *s = ActiveSession();
    if (!s || !s->PuttyWindow)
        return;
    HMENU popup = BuildPuttySystemMenu(s);
    RECT host;
    GetWindowRect(s->HostWindow, &host);
    TrackMenuFor(popup, 0, host.left + ScaleForDpi(8), host.top + ScaleForDpi(8), s->Id);
}

void ApplyTabPosition(void)
{
    LONG style = GetWindowLongW(TabControl, GWL_STYLE);
    style = Settings.TabBottom ? (style | TCS_BOTTOM) : (style & ~TCS_BOTTOM);
    SetWindowLongW(TabControl, GWL_STYLE, style);
    AttachMenuBar();
    RebuildTabs();
    SetHotkeysActive(false);
    if (GetForegroundWindow() == MainWindow)
        SetHotkeysActive(true);
}
