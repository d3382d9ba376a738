/*
 * quick_connect.cpp: the quick-connect dialog and the toolbar box's
 * connection.  Both open a session from a temporary server node made
 * from the target (quick_rules) and remember the target in the history.
 */
#include "quick_connect.h"

#include "../../config/config_file.h"
#include "../../config/server_tree.h"
#include "../../config/settings.h"
#include "../../core/text.h"
#include "../../resources/resource.h"
#include "../../sessions/session.h"
#include "../shell/toolbar.h"
#include "../tree/tree_view.h"
#include "config_warn.h"
#include "dialog_util.h"
#include "launchers.h"
#include "prompts.h"
#include "properties_rules.h"
#include "quick_rules.h"
#include "server_properties.h"

enum { PASSWORD_CHAR = 0x25CF, PORT_DIGITS = 5 };

static void OnInitDialog(HWND dialog)
{
    HWND target = GetDlgItem(dialog, IDC_SRV_HOST);
    for (int i = 0; i < RECENT_MAX; i++)
        if (!StrIsEmpty(Settings.Recents[i]))
            SendMessageW(target, CB_ADDSTRING, 0, (LPARAM)Settings.Recents[i]);
    HWND protocol = GetDlgItem(dialog, IDC_SRV_PROTOCOL);
    for (int i = 0; i < CON_COUNT; i++)
        SendMessageW(protocol, CB_ADDSTRING, 0, (LPARAM)PuttyConTypeNames[i]);
    SendMessageW(protocol, CB_SETCURSEL, CON_SSH, 0);
    FillSavedSessionBox(GetDlgItem(dialog, IDC_SRV_SESSION), DefaultSavedSession);
    SendDlgItemMessageW(dialog, IDC_SRV_PORT, EM_LIMITTEXT, PORT_DIGITS, 0);
    SendDlgItemMessageW(dialog, IDC_SRV_PASSWORD, EM_SETPASSWORDCHAR, PASSWORD_CHAR, 0);
    SetFocus(target);
}

/* A new server from the target and the boxes; the boxes win over what
 * the target says, except where they are empty. */
static ServerNode *ReadServer(HWND dialog, const wchar_t *target)
{
    ServerNode *node = NodeNew(NODE_SERVER);
    ParseTarget(target, node);
    int port = GetItemInt(dialog, IDC_SRV_PORT);
    if (port > 0)
        node->Port = port;
    LRESULT protocol = SendDlgItemMessageW(dialog, IDC_SRV_PROTOCOL, CB_GETCURSEL, 0, 0);
    if (protocol >= 0 && protocol < CON_COUNT)
        node->PuttyConType = (int)protocol;
    wchar_t *text = GetItemText(dialog, IDC_SRV_SESSION);
    StrAssign(&node->SavedSession, text);
    MemFree(text);
    text = GetItemText(dialog, IDC_SRV_USER);
    if (text[0])
        StrAssign(&node->UserName, text);
    MemFree(text);
    text = GetItemText(dialog, IDC_SRV_PASSWORD);
    NodeSetPassword(node, text);
    StrFreeSecret(text);
    text = GetItemText(dialog, IDC_SRV_NAME);
    StrAssign(&node->DisplayName, text[0] ? text : node->ServerName);
    MemFree(text);
    return node;
}

static void OnOk(HWND dialog)
{
    wchar_t *target = GetItemText(dialog, IDC_SRV_HOST);
    if (!target[0]) {
        MemFree(target);
        ShowMessage(dialog, MB_ICONEXCLAMATION, L"호스트를 입력하세요.");
        SendMessageW(dialog, WM_NEXTDLGCTL, (WPARAM)GetDlgItem(dialog, IDC_SRV_HOST), TRUE);
        return;
    }
    if (!TargetIsHost(target)) {
        /* perhaps a password typed into the wrong box: kept nowhere */
        StrFreeSecret(target);
        ShowMessage(dialog, MB_ICONEXCLAMATION, L"올바른 호스트가 아닙니다: 공백이나 제어 문자는 쓸 수 없습니다.");
        SendMessageW(dialog, WM_NEXTDLGCTL, (WPARAM)GetDlgItem(dialog, IDC_SRV_HOST), TRUE);
        return;
    }
    AddRecent(target);
    ServerNode *node = ReadServer(dialog, target);
    MemFree(target);
    bool keep = IsDlgButtonChecked(dialog, IDC_QC_KEEP) == BST_CHECKED;
    if (keep) {
        ServerNode *kept = NodeCopy(node, false);
        NodeAppendChild(ServersRoot, kept);
        RefillTree(kept);
    }
    EndDialog(dialog, IDOK);
    OpenSession(node);
    NodeFreeTree(node);
    /* A server added to the tree must not fail to reach the file
     * unnoticed; the history alone may wait for the next save. */
    if (keep)
        ConfigSaveOrWarn();
    else
        ConfigSave();
}

INT_PTR CALLBACK QuickConnectProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        return FALSE;   /* the focus is set */
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK)
            OnOk(dialog);
        else if (LOWORD(wParam) == IDCANCEL)
            EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

/* A target that names no server: a session without identity, named as
 * typed. */
static void ConnectTarget(const wchar_t *target)
{
    ServerNode *node = NodeNew(NODE_SERVER);
    ParseTarget(target, node);
    MemFree(node->UID);
    node->UID = NULL;
    StrAssign(&node->DisplayName, target);
    OpenSession(node);
    NodeFreeTree(node);
}

void ConnectQuickBox(void)
{
    /* the whole text: a cut-off target would connect somewhere else */
    int n = GetWindowTextLengthW(QuickConnectBox);
    if (n <= 0)
        return;
    wchar_t *text = (wchar_t *)MemAlloc(((size_t)n + 1) * sizeof(wchar_t));
    GetWindowTextW(QuickConnectBox, text, n + 1);
    if (!text[0]) {
        MemFree(text);
        return;
    }
    ServerNode *server = FindServerByName(ServersRoot, text);
    if (!server)
        server = FindServerByName(PuttySessionsFolder, text);
    if (!server && !TargetIsHost(text)) {
        /* neither a server's name nor a host, perhaps a password typed
         * into the wrong box: the text stays in the box to be corrected,
         * and is kept nowhere else */
        MessageBeep(MB_ICONEXCLAMATION);
        StrFreeSecret(text);
        return;
    }
    if (server)
        OpenSession(server);
    else
        ConnectTarget(text);
    AddRecent(text);
    FillRecentsCombo();
    SetWindowTextW(QuickConnectBox, L"");
    ConfigSaveOrWarn();
    MemFree(text);
}
