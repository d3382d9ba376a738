/*
 * hotkey_dialog.cpp: the hotkey dialog.
 */
#include "hotkey_dialog.h"

#include <commctrl.h>

#include "../../config/settings.h"
#include "../../core/text.h"
#include "../../resources/resource.h"
#include "../dialogs/prompts.h"
#include "hotkey_actions.h"
#include "hotkey_text.h"

/* The values being edited; one dialog at a time. */
static int Working[HOTKEY_COUNT];

static HWND List(HWND dialog)
{
    return GetDlgItem(dialog, IDC_HK_LIST);
}

static int SelectedRow(HWND dialog)
{
    return (int)SendMessageW(List(dialog), LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED);
}

static void ShowRowKey(HWND dialog, int row)
{
    wchar_t text[64];
    HotkeyToText(Working[row], text, 64);
    LVITEMW item = {};
    item.iSubItem = 1;
    item.pszText = text;
    SendMessageW(List(dialog), LVM_SETITEMTEXTW, row, (LPARAM)&item);
}

static void ShowAllKeys(HWND dialog)
{
    for (int i = 0; i < HOTKEY_COUNT; i++)
        ShowRowKey(dialog, i);
}

static void OnInit(HWND dialog)
{
    MemCopy(Working, Settings.Hotkeys, sizeof Working);
    HWND list = List(dialog);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    RECT r;
    GetClientRect(list, &r);
    int width = r.right - GetSystemMetrics(SM_CXVSCROLL);
    LVCOLUMNW col = {};
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.pszText = (LPWSTR)L"기능";
    col.cx = width * 6 / 10;
    SendMessageW(list, LVM_INSERTCOLUMNW, 0, (LPARAM)&col);
    col.pszText = (LPWSTR)L"단축키";
    col.cx = width * 4 / 10;
    SendMessageW(list, LVM_INSERTCOLUMNW, 1, (LPARAM)&col);
    for (int i = 0; i < HOTKEY_COUNT; i++) {
        LVITEMW item = {};
        item.mask = LVIF_TEXT;
        item.iItem = i;
        item.pszText = (LPWSTR)HotkeyActions[i].Label;
        SendMessageW(list, LVM_INSERTITEMW, 0, (LPARAM)&item);
    }
    ShowAllKeys(dialog);
    LVITEMW state = {};
    state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, 0, (LPARAM)&state);
}

static void OnAssign(HWND dialog)
{
    int row = SelectedRow(dialog);
    if (row < 0)
        return;
    int value = HotkeyFromControl((unsigned)SendDlgItemMessageW(dialog, IDC_HK_KEY, HKM_GETHOTKEY, 0, 0));
    if (HotkeyRefused(value)) {
        ShowMessage(dialog, MB_ICONEXCLAMATION,
                    L"Ctrl 또는 Alt가 없는 단축키는 PuTTY에 입력하는 글자를 가로챕니다.\n"
                    L"Ctrl/Alt 조합이나 F키를 쓰세요.");
        return;
    }
    int lost = AssignHotkey(Working, row, value);
    if (lost >= 0)
        ShowRowKey(dialog, lost);
    ShowRowKey(dialog, row);
}

static void OnCommand(HWND dialog, int id)
{
    switch (id) {
    case IDC_HK_ASSIGN:
        OnAssign(dialog);
        break;
    case IDC_HK_NONE: {
        int row = SelectedRow(dialog);
        if (row >= 0) {
            Working[row] = 0;
            ShowRowKey(dialog, row);
        }
        break;
    }
    case IDC_HK_DEFAULTS:
        for (int i = 0; i < HOTKEY_COUNT; i++)
            Working[i] = HotkeySettings[i].Default;
        ShowAllKeys(dialog);
        break;
    case IDOK:
        MemCopy(Settings.Hotkeys, Working, sizeof Working);
        EndDialog(dialog, IDOK);
        break;
    case IDCANCEL:
        EndDialog(dialog, IDCANCEL);
        break;
    }
}

INT_PTR CALLBACK HotkeyDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_INITDIALOG:
        OnInit(dialog);
        return TRUE;
    case WM_COMMAND:
        OnCommand(dialog, LOWORD(wParam));
        return TRUE;
    case WM_NOTIFY: {
        NMLISTVIEW *nm = (NMLISTVIEW *)lParam;
        if (nm->hdr.idFrom == IDC_HK_LIST && nm->hdr.code == LVN_ITEMCHANGED && (nm->uNewState & LVIS_SELECTED))
            SendDlgItemMessageW(dialog, IDC_HK_KEY, HKM_SETHOTKEY, HotkeyToControl(Working[nm->iItem]), 0);
        return FALSE;
    }
    }
    return FALSE;
}
