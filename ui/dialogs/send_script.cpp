/*
 * send_script.cpp: the send-script dialog.
 */
#include "send_script.h"

#include "../../config/settings.h"
#include "../../core/files.h"
#include "../../core/text.h"
#include "../../resources/resource.h"
#include "../../sessions/key_post.h"
#include "../../sessions/key_script.h"
#include "../../sessions/session.h"
#include "../hotkeys/hotkeys.h"
#include "../shell/menus.h"
#include "../shell/tabs.h"
#include "dialog_util.h"
#include "prompts.h"
#include "send_rules.h"

static const wchar_t ScriptFileFilter[] = L"텍스트 파일\0*.txt\0모든 파일\0*.*\0";

static int CheckedTarget(HWND dialog)
{
    if (IsDlgButtonChecked(dialog, IDC_SEND_ALL) == BST_CHECKED)
        return SEND_TARGET_ALL;
    if (IsDlgButtonChecked(dialog, IDC_SEND_SELECTED) == BST_CHECKED)
        return SEND_TARGET_SELECTED;
    return SEND_TARGET_ACTIVE;
}

static void EnableSessionList(HWND dialog)
{
    EnableWindow(GetDlgItem(dialog, IDC_SEND_SESSIONS), CheckedTarget(dialog) == SEND_TARGET_SELECTED);
}

/* Each entry carries its Session.Id: sessions may come and go meanwhile. */
static void FillSessionList(HWND dialog)
{
    HWND list = GetDlgItem(dialog, IDC_SEND_SESSIONS);
    Session *active = ActiveSession();
    for (int i = 0; i < SessionCount; i++) {
        Session *s = SessionList[i];
        LRESULT item = SendMessageW(list, LB_ADDSTRING, 0, (LPARAM)s->Caption);
        if (item < 0)
            continue;
        SendMessageW(list, LB_SETITEMDATA, (WPARAM)item, (LPARAM)s->Id);
        if (s == active)
            SendMessageW(list, LB_SETSEL, TRUE, item);
    }
}

static INT_PTR OnInit(HWND dialog)
{
    FillSessionList(dialog);
    CheckRadioButton(dialog, IDC_SEND_ACTIVE, IDC_SEND_SELECTED,
                     IDC_SEND_ACTIVE + ClampSendTarget(Settings.SendScriptTarget));
    EnableSessionList(dialog);
    HWND edit = GetDlgItem(dialog, IDC_SEND_TEXT);
    /* the default 32K would cut a loaded script and block the pop-up */
    SendMessageW(edit, EM_SETLIMITTEXT, 0, 0);
    SetItemText(dialog, IDC_SEND_TEXT, Settings.SendScriptText);
    if (Settings.SendScriptDelay > 0)
        SetItemInt(dialog, IDC_SEND_DELAY, Settings.SendScriptDelay);
    SetFocus(edit);
    return FALSE;
}

/* Queues text for every running target; the number of sessions reached. */
static int SendToTargets(HWND dialog, const wchar_t *text, int target, int delay)
{
    HWND list = GetDlgItem(dialog, IDC_SEND_SESSIONS);
    int entries = (int)SendMessageW(list, LB_GETCOUNT, 0, 0);
    int *selected = (int *)MemAlloc(((size_t)(entries > 0 ? entries : 0) + 1) * sizeof(int));
    int selectedCount = 0;
    for (int i = 0; i < entries; i++)
        if (SendMessageW(list, LB_GETSEL, (WPARAM)i, 0) > 0)
            selected[selectedCount++] = (int)SendMessageW(list, LB_GETITEMDATA, (WPARAM)i, 0);

    SendCandidate *candidates = (SendCandidate *)MemAlloc(((size_t)SessionCount + 1) * sizeof(SendCandidate));
    for (int i = 0; i < SessionCount; i++) {
        candidates[i].Id = SessionList[i]->Id;
        candidates[i].Running = SessionList[i]->State == SESSION_RUNNING;
    }
    Session *active = ActiveSession();
    int *ids = (int *)MemAlloc(((size_t)SessionCount + 1) * sizeof(int));
    int n = SendTargetIds(target, candidates, SessionCount, active ? active->Id : 0, selected, selectedCount, ids);
    for (int k = 0; k < n; k++) {
        Session *s = FindSessionById(ids[k]);
        SendScript(s->Id, s->Node, text, delay, 0);
    }
    MemFree(ids);
    MemFree(candidates);
    MemFree(selected);
    return n;
}

static void OnSend(HWND dialog)
{
    wchar_t *text = GetItemText(dialog, IDC_SEND_TEXT);
    if (!text[0]) {
        MemFree(text);
        return;
    }
    wchar_t delayText[32];
    delayText[0] = 0;
    GetDlgItemTextW(dialog, IDC_SEND_DELAY, delayText, 32);
    int delay = SendDelayFromText(delayText);
    int target = CheckedTarget(dialog);
    if (!SendToTargets(dialog, text, target, delay)) {
        ShowMessage(dialog, MB_ICONEXCLAMATION, L"보낼 수 있는(연결된) 세션이 없습니다.");
        MemFree(text);
        return;
    }
    StrAssign(&Settings.SendScriptText, text);
    Settings.SendScriptTarget = target;
    Settings.SendScriptDelay = delay;
    MemFree(text);
    EndDialog(dialog, IDOK);
}

static void OnClose(HWND dialog)
{
    wchar_t *text = GetItemText(dialog, IDC_SEND_TEXT);
    StrAssign(&Settings.SendScriptText, text);
    MemFree(text);
    EndDialog(dialog, IDCANCEL);
}

/* Replaces the edit's selection, undoably, and gives the edit the focus
 * back with the caret after the inserted text. */
static void ReplaceSelection(HWND dialog, const wchar_t *text)
{
    HWND edit = GetDlgItem(dialog, IDC_SEND_TEXT);
    SendMessageW(edit, EM_REPLACESEL, TRUE, (LPARAM)text);
    DWORD start = 0, end = 0;
    SendMessageW(edit, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
    /* through the dialog manager, so the default button follows; it
     * selects the whole text, hence the caret is put back */
    SendMessageW(dialog, WM_NEXTDLGCTL, (WPARAM)edit, TRUE);
    SendMessageW(edit, EM_SETSEL, start, end);
    SendMessageW(edit, EM_SCROLLCARET, 0, 0);
}

static void OnSpecialKey(HWND dialog)
{
    HMENU menu = BuildSpecialKeysMenu();
    AppendMenuW(menu, MF_SEPARATOR, 0, NULL);
    AppendMenuW(menu, MF_STRING, SEND_MENU_WAIT, L"{WAIT 500} 기다리기");
    AppendMenuW(menu, MF_STRING, SEND_MENU_PASSWORD, L"{PASSWORD} 서버 비밀번호");
    AppendMenuW(menu, MF_STRING, SEND_MENU_USER, L"{USER} 사용자 이름");
    RECT r;
    GetWindowRect(GetDlgItem(dialog, IDC_SEND_SPECIAL_KEY), &r);
    BeginModal();
    int chosen = (int)TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, r.left,
                                     r.bottom, 0, dialog, NULL);
    EndModal();
    DestroyMenu(menu);
    wchar_t insert[SEND_INSERT_MAX];
    if (SpecialKeyInsertText(chosen, insert))
        ReplaceSelection(dialog, insert);
}

static void OnLoad(HWND dialog)
{
    wchar_t path[KPATH];
    path[0] = 0;
    if (!ChooseFile(dialog, false, ScriptFileFilter, L"txt", path, KPATH))
        return;
    char *bytes = NULL;
    int count = 0;
    if (!ReadWholeFile(path, &bytes, &count)) {
        ShowMessage(dialog, MB_ICONERROR, L"파일을 읽지 못했습니다.");
        return;
    }
    wchar_t *text = DecodeScriptFile(bytes, count, NULL);
    MemFree(bytes);
    if (!text) {
        ShowMessage(dialog, MB_ICONERROR, L"텍스트 파일이 아니어서 불러오지 않았습니다.\n%s", path);
        return;
    }
    /* replacing rather than setting keeps the old text one undo away */
    HWND edit = GetDlgItem(dialog, IDC_SEND_TEXT);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    SendMessageW(edit, EM_REPLACESEL, TRUE, (LPARAM)text);
    MemFree(text);
}

static void OnSave(HWND dialog)
{
    wchar_t path[KPATH];
    StrCopyTo(path, KPATH, L"script.txt");
    if (!ChooseFile(dialog, true, ScriptFileFilter, L"txt", path, KPATH))
        return;
    wchar_t *text = GetItemText(dialog, IDC_SEND_TEXT);
    int bytes = 0;
    char *utf8 = Utf8FromWide(text, &bytes);
    bool saved = WriteFileAtomic(path, utf8, bytes);
    MemFree(utf8);
    MemFree(text);
    if (!saved)
        ShowMessage(dialog, MB_ICONERROR, L"파일을 저장하지 못했습니다.");
}

static INT_PTR OnCommand(HWND dialog, int id, int code)
{
    switch (id) {
    case IDOK:
        OnSend(dialog);
        return TRUE;
    case IDCANCEL:
        OnClose(dialog);
        return TRUE;
    case IDC_SEND_ACTIVE:
    case IDC_SEND_ALL:
    case IDC_SEND_SELECTED:
        if (code == BN_CLICKED)
            EnableSessionList(dialog);
        return TRUE;
    case IDC_SEND_SPECIAL_KEY:
        OnSpecialKey(dialog);
        return TRUE;
    case IDC_SEND_LOAD:
        OnLoad(dialog);
        return TRUE;
    case IDC_SEND_SAVE:
        OnSave(dialog);
        return TRUE;
    case IDC_SCRIPT_SYNTAX:
        ShowScriptSyntax(dialog);
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK SendScriptProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        return OnInit(dialog);
    case WM_COMMAND:
        return OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
    }
    return FALSE;
}
