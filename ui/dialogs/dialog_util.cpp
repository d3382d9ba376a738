/*
 * dialog_util.cpp: running dialogs and reading their controls.
 */
#include "dialog_util.h"

#include "../../core/text.h"
#include "../../sessions/key_script.h"
#include "../hotkeys/hotkeys.h"
#include "../shell/main_window.h"
#include "prompts.h"

INT_PTR RunModalDialog(int templateId, DLGPROC proc, LPARAM param)
{
    BeginModal();
    INT_PTR result = DialogBoxParamW(GetModuleHandleW(NULL), MAKEINTRESOURCEW(templateId), MainWindow,
                                     proc, param);
    EndModal();
    return result;
}

wchar_t *GetItemText(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    int n = control ? GetWindowTextLengthW(control) : 0;
    wchar_t *text = (wchar_t *)MemAlloc((n + 1) * sizeof(wchar_t));
    if (n > 0)
        GetWindowTextW(control, text, n + 1);
    return text;
}

int GetItemInt(HWND dialog, int id)
{
    wchar_t text[32];
    text[0] = 0;
    GetDlgItemTextW(dialog, id, text, 32);
    return ParseInt(text);
}

void SetItemText(HWND dialog, int id, const wchar_t *text)
{
    SetDlgItemTextW(dialog, id, text ? text : L"");
}

void SetItemInt(HWND dialog, int id, int value)
{
    wchar_t text[12];
    StrFromInt(text, value);
    SetDlgItemTextW(dialog, id, text);
}

void ShowScriptSyntax(HWND owner)
{
    ShowMessage(owner, MB_ICONINFORMATION, ScriptSyntaxText);
}
