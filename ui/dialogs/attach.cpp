/*
 * attach.cpp: the candidates for attaching and the attach dialog.
 */
#include "attach.h"

#include "../../resources/resource.h"
#include "../../sessions/capture.h"
#include "../shell/main_window.h"
#include "attach_rules.h"
#include "dialog_util.h"
#include "prompts.h"

bool IsAttachCandidate(HWND window)
{
    /* GetParent gives the owner of a top-level window */
    return IsWindowVisible(window) && !GetParent(window) && IsForeignPuttyWindow(window, 0);
}

struct CandidateVisit {
    void (*Visit)(HWND window, void *context);
    void *Context;
    int Count;
};

static BOOL CALLBACK VisitCandidate(HWND window, LPARAM param)
{
    CandidateVisit *v = (CandidateVisit *)param;
    if (IsAttachCandidate(window)) {
        v->Count++;
        if (v->Visit)
            v->Visit(window, v->Context);
    }
    return TRUE;
}

int EnumAttachCandidates(void (*visit)(HWND window, void *context), void *context)
{
    CandidateVisit v = { visit, context, 0 };
    EnumWindows(VisitCandidate, (LPARAM)&v);
    return v.Count;
}

/* Each entry carries its window: two windows may share a title. */
static void AddEntry(HWND window, void *list)
{
    /* one more than shown, so that a cut pair can be seen */
    wchar_t title[ATTACH_TITLE_MAX + 2];
    title[0] = 0;
    GetWindowTextW(window, title, ATTACH_TITLE_MAX + 2);
    wchar_t entry[ATTACH_TITLE_MAX + 1];
    AttachEntryText(title, entry);
    LRESULT item = SendMessageW((HWND)list, LB_ADDSTRING, 0, (LPARAM)entry);
    if (item >= 0)
        SendMessageW((HWND)list, LB_SETITEMDATA, (WPARAM)item, (LPARAM)window);
}

static INT_PTR OnInit(HWND dialog, LPARAM param)
{
    SetWindowLongPtrW(dialog, DWLP_USER, param);
    HWND list = GetDlgItem(dialog, IDC_ATTACH_LIST);
    EnumAttachCandidates(AddEntry, list);
    SendMessageW(list, LB_SETCURSEL, 0, 0);
    return TRUE;
}

static void OnChoose(HWND dialog)
{
    HWND list = GetDlgItem(dialog, IDC_ATTACH_LIST);
    LRESULT item = SendMessageW(list, LB_GETCURSEL, 0, 0);
    if (item < 0)
        return;
    HWND *chosen = (HWND *)GetWindowLongPtrW(dialog, DWLP_USER);
    if (chosen)
        *chosen = (HWND)SendMessageW(list, LB_GETITEMDATA, (WPARAM)item, 0);
    EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK AttachDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return OnInit(dialog, lParam);
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            OnChoose(dialog);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        case IDC_ATTACH_LIST:
            if (HIWORD(wParam) == LBN_DBLCLK)
                OnChoose(dialog);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

HWND ChooseAttachWindow(void)
{
    if (!EnumAttachCandidates(NULL, NULL)) {
        ShowMessage(MainWindow, MB_ICONINFORMATION, L"가져올 수 있는 PuTTY 창이 없습니다.");
        return NULL;
    }
    HWND chosen = NULL;
    if (RunModalDialog(IDD_ATTACH, AttachDialogProc, (LPARAM)&chosen) != IDOK || !chosen)
        return NULL;
    /* The dialog stays open as long as the user likes: the window may
     * have closed, or another Kestrum may have taken it, meanwhile. */
    if (!IsAttachCandidate(chosen))
        return NULL;
    /* SetWindowLong cannot clear WS_MINIMIZE, so the capture alone would
     * leave an icon in the tab.  Asynchronous: a hung PuTTY must not hang
     * this program; the poll refits the window once it is restored. */
    if (IsIconic(chosen))
        ShowWindowAsync(chosen, SW_SHOWNOACTIVATE);
    return chosen;
}
