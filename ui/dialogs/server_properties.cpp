/*
 * server_properties.cpp: the server properties dialog.  A thin layer
 * over properties_rules: the boxes are read into a temporary copy of
 * the node for every preview and for OK, so only OK touches the node.
 */
#include "server_properties.h"

#include "../../config/server_tree.h"
#include "../../core/text.h"
#include "../../resources/resource.h"
#include "../../sessions/key_post.h"
#include "dialog_util.h"
#include "prompts.h"
#include "properties_rules.h"

enum { PASSWORD_CHAR = 0x25CF };
/* Five digits hold any port; nine keep a delay inside an int. */
enum { PORT_DIGITS = 5, DELAY_DIGITS = 9 };

static const int EnablingRuled[] = {
    IDC_SRV_NAME, IDC_SRV_HOST, IDC_SRV_PORT, IDC_SRV_PROTOCOL, IDC_SRV_SESSION, IDC_SRV_USER, IDC_SRV_CUSTOM_CMD,
};

void FillSavedSessionBox(HWND combo, const wchar_t *text)
{
    SendMessageW(combo, CB_ADDSTRING, 0, (LPARAM)DefaultSavedSession);
    if (PuttySessionsFolder)
        for (const ServerNode *c = PuttySessionsFolder->FirstChild; c; c = c->NextSibling)
            if (OffersSavedSession(c))
                SendMessageW(combo, CB_ADDSTRING, 0, (LPARAM)c->SavedSession);
    SetWindowTextW(combo, text ? text : L"");
}

static ServerPropertiesRequest *RequestOf(HWND dialog)
{
    return (ServerPropertiesRequest *)GetWindowLongPtrW(dialog, DWLP_USER);
}

static int ModeOf(const ServerPropertiesRequest *r)
{
    return PropertiesMode(r->Node, r->IsNew);
}

static bool IsChecked(HWND dialog, int id)
{
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

static int SelectedIndex(HWND dialog, int id)
{
    LRESULT index = SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? -1 : (int)index;
}

static void ReadBoxes(HWND dialog, PropertiesValues *v)
{
    v->DisplayName = GetItemText(dialog, IDC_SRV_NAME);
    v->ServerName = GetItemText(dialog, IDC_SRV_HOST);
    v->SavedSession = GetItemText(dialog, IDC_SRV_SESSION);
    v->UserName = GetItemText(dialog, IDC_SRV_USER);
    v->Password = GetItemText(dialog, IDC_SRV_PASSWORD);
    v->CLParams = GetItemText(dialog, IDC_SRV_ARGS);
    v->Script = GetItemText(dialog, IDC_SRV_SCRIPT);
    v->Port = GetItemInt(dialog, IDC_SRV_PORT);
    v->PasswordDelay = GetItemInt(dialog, IDC_SRV_PASSWORD_DELAY);
    v->ScriptDelay = GetItemInt(dialog, IDC_SRV_SCRIPT_DELAY);
    v->Protocol = SelectedIndex(dialog, IDC_SRV_PROTOCOL);
    v->PasswordMode = SelectedIndex(dialog, IDC_SRV_PASSWORD_MODE);
    v->CustomCmd = IsChecked(dialog, IDC_SRV_CUSTOM_CMD);
}

/* A temporary copy of node holding what the boxes say; NodeFree it. */
static ServerNode *ReadCopy(HWND dialog, const ServerNode *node)
{
    ServerNode *copy = NodeCopy(node, false);
    PropertiesValues v = {};
    ReadBoxes(dialog, &v);
    ReadValuesIntoNode(&v, copy);
    ReleasePropertiesValues(&v);
    return copy;
}

static void ApplyEnabling(HWND dialog, const ServerPropertiesRequest *r)
{
    int mode = ModeOf(r);
    bool custom = IsChecked(dialog, IDC_SRV_CUSTOM_CMD);
    for (int id : EnablingRuled)
        EnableWindow(GetDlgItem(dialog, id), PropertiesControlEnabled(id, mode, custom));
}

static void UpdatePreview(HWND dialog)
{
    ServerPropertiesRequest *r = RequestOf(dialog);
    if (!r)
        return;     /* still filling the boxes */
    ServerNode *copy = ReadCopy(dialog, r->Node);
    wchar_t *text = PropertiesPreview(copy);
    SetItemText(dialog, IDC_SRV_PREVIEW, text);
    StrFreeSecret(text);
    NodeFree(copy);
}

static void FillList(HWND dialog, int id, const wchar_t *const *labels, int count, int selected)
{
    HWND box = GetDlgItem(dialog, id);
    for (int i = 0; i < count; i++)
        SendMessageW(box, CB_ADDSTRING, 0, (LPARAM)labels[i]);
    SendMessageW(box, CB_SETCURSEL, (WPARAM)selected, 0);
}

static void SetNumberBox(HWND dialog, int id, int value, bool shown, int digits)
{
    SendDlgItemMessageW(dialog, id, EM_LIMITTEXT, (WPARAM)digits, 0);
    if (shown)
        SetItemInt(dialog, id, value);
}

static void FillBoxes(HWND dialog, ServerNode *node)
{
    SetItemText(dialog, IDC_SRV_NAME, node->DisplayName);
    SetItemText(dialog, IDC_SRV_HOST, node->ServerName);
    SetItemText(dialog, IDC_SRV_USER, node->UserName);
    SetItemText(dialog, IDC_SRV_PASSWORD, NodePassword(node));
    SetItemText(dialog, IDC_SRV_ARGS, node->CLParams);
    SetItemText(dialog, IDC_SRV_SCRIPT, node->Script);
    SetNumberBox(dialog, IDC_SRV_PORT, node->Port, node->Port > 0, PORT_DIGITS);
    SetNumberBox(dialog, IDC_SRV_PASSWORD_DELAY, node->PasswordDelay, node->PasswordDelay != 0, DELAY_DIGITS);
    SetNumberBox(dialog, IDC_SRV_SCRIPT_DELAY, node->ScriptDelay, node->ScriptDelay != 0, DELAY_DIGITS);
    FillList(dialog, IDC_SRV_PROTOCOL, PuttyConTypeNames, CON_COUNT, node->PuttyConType);
    FillSavedSessionBox(GetDlgItem(dialog, IDC_SRV_SESSION), SavedSessionBoxText(node));
    SendDlgItemMessageW(dialog, IDC_SRV_PASSWORD, EM_SETPASSWORDCHAR, PASSWORD_CHAR, 0);
    CheckDlgButton(dialog, IDC_SRV_SHOW_PASSWORD, BST_UNCHECKED);
    FillList(dialog, IDC_SRV_PASSWORD_MODE, PasswordModeNames, PWMODE_COUNT, node->PasswordMode);
    CheckDlgButton(dialog, IDC_SRV_CUSTOM_CMD, node->CustomCmd ? BST_CHECKED : BST_UNCHECKED);
}

static void FocusFirstBox(HWND dialog, int mode)
{
    if (mode == PROPS_SAVED_SESSION) {
        SetFocus(GetDlgItem(dialog, IDC_SRV_USER));
    } else if (mode == PROPS_NEW) {
        SetFocus(GetDlgItem(dialog, IDC_SRV_HOST));
        /* typing over "새 서버" replaces it once the user tabs there */
        SendDlgItemMessageW(dialog, IDC_SRV_NAME, EM_SETSEL, 0, -1);
    } else {
        SetFocus(GetDlgItem(dialog, IDC_SRV_NAME));
    }
}

static void OnInitDialog(HWND dialog, ServerPropertiesRequest *r)
{
    int mode = ModeOf(r);
    wchar_t *title = PropertiesTitle(r->Node, mode);
    if (title)
        SetWindowTextW(dialog, title);
    MemFree(title);
    FillBoxes(dialog, r->Node);
    /* from here on, change notifications refresh the preview */
    SetWindowLongPtrW(dialog, DWLP_USER, (LONG_PTR)r);
    ApplyEnabling(dialog, r);
    UpdatePreview(dialog);
    FocusFirstBox(dialog, mode);
}

static void OnShowPassword(HWND dialog)
{
    HWND box = GetDlgItem(dialog, IDC_SRV_PASSWORD);
    WPARAM c = IsChecked(dialog, IDC_SRV_SHOW_PASSWORD) ? 0 : PASSWORD_CHAR;
    SendMessageW(box, EM_SETPASSWORDCHAR, c, 0);
    InvalidateRect(box, NULL, TRUE);
}

/* A choice from the dropped list arrives before the combo's edit shows
 * it; the preview reads the edit, so put the choice there first. */
static void OnSessionChosen(HWND dialog)
{
    HWND box = GetDlgItem(dialog, IDC_SRV_SESSION);
    LRESULT index = SendMessageW(box, CB_GETCURSEL, 0, 0);
    LRESULT n = index == CB_ERR ? CB_ERR : SendMessageW(box, CB_GETLBTEXTLEN, (WPARAM)index, 0);
    if (n == CB_ERR)
        return;
    wchar_t *text = (wchar_t *)MemAlloc(((size_t)n + 1) * sizeof(wchar_t));
    SendMessageW(box, CB_GETLBTEXT, (WPARAM)index, (LPARAM)text);
    SetWindowTextW(box, text);
    MemFree(text);
}

static void OnOk(HWND dialog, ServerPropertiesRequest *r)
{
    ServerNode *copy = ReadCopy(dialog, r->Node);
    int problem = ValidateProperties(copy);
    if (problem != PROPS_VALID) {
        NodeFree(copy);
        ShowMessage(dialog, MB_ICONEXCLAMATION, PropertiesProblemText(problem));
        HWND box = GetDlgItem(dialog, PropertiesProblemControl(problem));
        SendMessageW(dialog, WM_NEXTDLGCTL, (WPARAM)box, TRUE);
        return;
    }
    ApplyProperties(r->Node, copy);
    NodeFree(copy);
    EndDialog(dialog, IDOK);
}

static bool IsChangeNotification(int code)
{
    return code == EN_CHANGE || code == CBN_SELCHANGE || code == CBN_EDITCHANGE;
}

static void OnCommand(HWND dialog, int id, int code)
{
    ServerPropertiesRequest *r = RequestOf(dialog);
    if (!r)
        return;
    switch (id) {
    case IDOK:
        OnOk(dialog, r);
        return;
    case IDCANCEL:
        EndDialog(dialog, IDCANCEL);
        return;
    case IDC_SRV_SHOW_PASSWORD:
        if (code == BN_CLICKED)
            OnShowPassword(dialog);
        return;
    case IDC_SRV_CUSTOM_CMD:
        if (code == BN_CLICKED) {
            ApplyEnabling(dialog, r);
            UpdatePreview(dialog);
        }
        return;
    case IDC_SCRIPT_SYNTAX:
        if (code == BN_CLICKED)
            ShowScriptSyntax(dialog);
        return;
    case IDC_SRV_PREVIEW:
        return;     /* its own text changes would come back here */
    case IDC_SRV_SESSION:
        if (code == CBN_SELCHANGE)
            OnSessionChosen(dialog);
        break;
    }
    if (IsChangeNotification(code))
        UpdatePreview(dialog);
}

INT_PTR CALLBACK ServerPropertiesProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog(dialog, (ServerPropertiesRequest *)lParam);
        return FALSE;   /* the focus is set */
    case WM_COMMAND:
        OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    }
    return FALSE;
}
