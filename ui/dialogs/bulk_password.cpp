/*
 * bulk_password.cpp: the bulk password change dialog, over bulk_rules.
 */
#include "bulk_password.h"

#include "../../core/text.h"
#include "../../resources/resource.h"
#include "bulk_rules.h"
#include "dialog_util.h"
#include "prompts.h"

enum { PASSWORD_CHAR = 0x25CF };

static BulkPasswordRequest *RequestOf(HWND dialog)
{
    return (BulkPasswordRequest *)GetWindowLongPtrW(dialog, DWLP_USER);
}

static bool IsChecked(HWND dialog, int id)
{
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

static void OnInitDialog(HWND dialog, BulkPasswordRequest *r)
{
    SetWindowLongPtrW(dialog, DWLP_USER, (LONG_PTR)r);
    if (r->Folder) {
        wchar_t *label = BulkFolderLabel(r->Folder);
        SetItemText(dialog, IDC_BULK_FOLDER, label);
        MemFree(label);
        CheckRadioButton(dialog, IDC_BULK_FOLDER, IDC_BULK_WHOLE_TREE, IDC_BULK_FOLDER);
    } else {
        EnableWindow(GetDlgItem(dialog, IDC_BULK_FOLDER), FALSE);
        CheckRadioButton(dialog, IDC_BULK_FOLDER, IDC_BULK_WHOLE_TREE, IDC_BULK_WHOLE_TREE);
    }
    SendDlgItemMessageW(dialog, IDC_BULK_PASSWORD, EM_SETPASSWORDCHAR, PASSWORD_CHAR, 0);
    SendDlgItemMessageW(dialog, IDC_BULK_REPEAT, EM_SETPASSWORDCHAR, PASSWORD_CHAR, 0);
    /* by default only servers still without a password are changed */
    CheckDlgButton(dialog, IDC_BULK_EMPTY_ONLY, BST_CHECKED);
}

/* True when the servers were changed and the dialog may end. */
static bool ChangePasswords(HWND dialog, BulkPasswordRequest *r, const wchar_t *user, const wchar_t *text,
                            const wchar_t *password, const wchar_t *repeated)
{
    int problem = CheckBulkPasswords(password, repeated);
    if (problem != BULK_PASSWORDS_OK) {
        ShowMessage(dialog, MB_ICONEXCLAMATION, BulkPasswordProblemText(problem));
        SendMessageW(dialog, WM_NEXTDLGCTL, (WPARAM)GetDlgItem(dialog, IDC_BULK_PASSWORD), TRUE);
        return false;
    }
    BulkFilter filter = { user, text, IsChecked(dialog, IDC_BULK_EMPTY_ONLY) };
    ServerNode *scope = BulkScope(r->Folder, IsChecked(dialog, IDC_BULK_FOLDER));
    r->Changed = BulkChangePasswords(scope, &filter, password);
    ShowMessage(dialog, MB_ICONINFORMATION, L"서버 %d개의 비밀번호를 바꿨습니다.", r->Changed);
    return true;
}

static void OnOk(HWND dialog, BulkPasswordRequest *r)
{
    wchar_t *user = GetItemText(dialog, IDC_BULK_USER);
    wchar_t *text = GetItemText(dialog, IDC_BULK_FILTER);
    wchar_t *password = GetItemText(dialog, IDC_BULK_PASSWORD);
    wchar_t *repeated = GetItemText(dialog, IDC_BULK_REPEAT);
    bool done = ChangePasswords(dialog, r, user, text, password, repeated);
    StrFreeSecret(password);
    StrFreeSecret(repeated);
    MemFree(user);
    MemFree(text);
    if (done)
        EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK BulkPasswordProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog(dialog, (BulkPasswordRequest *)lParam);
        return TRUE;
    case WM_COMMAND: {
        BulkPasswordRequest *r = RequestOf(dialog);
        if (!r)
            return FALSE;
        if (LOWORD(wParam) == IDOK) {
            OnOk(dialog, r);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    }
    }
    return FALSE;
}
