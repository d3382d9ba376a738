/*
 * properties_rules.cpp: the server properties dialog's decisions.
 */
#include "properties_rules.h"

#include "../../config/server_tree.h"
#include "../../core/text.h"
#include "../../resources/resource.h"
#include "../../sessions/putty_args.h"

const wchar_t DefaultSavedSession[] = L"Default Settings";

int PropertiesMode(const ServerNode *node, bool isNew)
{
    if (node->IsPuttySession)
        return PROPS_SAVED_SESSION;
    return isNew ? PROPS_NEW : PROPS_EDIT;
}

wchar_t *PropertiesTitle(const ServerNode *node, int mode)
{
    if (mode == PROPS_NEW)
        return StrDup(L"서버 추가");
    if (mode != PROPS_SAVED_SESSION)
        return nullptr;
    /* built, not formatted: a session name has no length limit */
    TextBuilder b = {};
    b.Append(L"PuTTY 세션 로그인 정보 - ");
    b.Append(node->SavedSession ? node->SavedSession : L"");
    return b.Take();
}

bool PropertiesControlEnabled(int id, int mode, bool customCmd)
{
    bool savedSession = mode == PROPS_SAVED_SESSION;
    switch (id) {
    case IDC_SRV_NAME:
    case IDC_SRV_CUSTOM_CMD:
        return !savedSession;
    case IDC_SRV_HOST:
    case IDC_SRV_PORT:
    case IDC_SRV_PROTOCOL:
    case IDC_SRV_SESSION:
        return !savedSession && !customCmd;
    case IDC_SRV_USER:
        return !customCmd;
    default:
        return true;
    }
}

static bool IsDefaultSession(const wchar_t *name)
{
    return StrIsEmpty(name) || StrCompareNoCase(name, DefaultSavedSession) == 0;
}

bool OffersSavedSession(const ServerNode *child)
{
    return !IsDefaultSession(child->SavedSession);
}

const wchar_t *SavedSessionBoxText(const ServerNode *node)
{
    return StrIsEmpty(node->SavedSession) ? DefaultSavedSession : node->SavedSession;
}

void ReleasePropertiesValues(PropertiesValues *v)
{
    StrFreeSecret(v->Password);
    MemFree(v->DisplayName);
    MemFree(v->ServerName);
    MemFree(v->SavedSession);
    MemFree(v->UserName);
    MemFree(v->CLParams);
    MemFree(v->Script);
    MemFill(v, 0, sizeof *v);
}

void ReadValuesIntoNode(const PropertiesValues *v, ServerNode *node)
{
    StrAssign(&node->DisplayName, v->DisplayName);
    StrAssign(&node->ServerName, v->ServerName);
    StrAssign(&node->SavedSession, v->SavedSession);
    StrAssign(&node->UserName, v->UserName);
    NodeSetPassword(node, v->Password);
    StrAssign(&node->CLParams, v->CLParams);
    StrAssign(&node->Script, v->Script);
    node->Port = v->Port;
    node->PasswordDelay = SaneDelay(v->PasswordDelay);
    node->ScriptDelay = SaneDelay(v->ScriptDelay);
    node->PuttyConType = v->Protocol >= 0 ? v->Protocol : CON_SSH;
    node->PasswordMode = v->PasswordMode >= 0 ? v->PasswordMode : PWMODE_DEFAULT;
    node->CustomCmd = v->CustomCmd ? 1 : 0;
}

int ValidateProperties(const ServerNode *copy)
{
    if (!copy->IsPuttySession && !copy->CustomCmd && StrIsEmpty(copy->ServerName) &&
        IsDefaultSession(copy->SavedSession))
        return PROPS_NEED_HOST;
    if (copy->CustomCmd && StrIsEmpty(copy->CLParams))
        return PROPS_NEED_ARGS;
    return PROPS_VALID;
}

const wchar_t *PropertiesProblemText(int problem)
{
    switch (problem) {
    case PROPS_NEED_HOST:
        return L"호스트를 입력하거나 PuTTY 세션을 고르세요.";
    case PROPS_NEED_ARGS:
        return L"'명령줄 직접 지정'을 쓰려면 명령줄 인자를 입력하세요.";
    default:
        return L"";
    }
}

int PropertiesProblemControl(int problem)
{
    return problem == PROPS_NEED_ARGS ? IDC_SRV_ARGS : IDC_SRV_HOST;
}

void FillDisplayName(ServerNode *copy)
{
    if (!StrIsEmpty(copy->DisplayName))
        return;
    StrAssign(&copy->DisplayName, !StrIsEmpty(copy->ServerName) ? copy->ServerName : copy->SavedSession);
}

void ApplyProperties(ServerNode *node, ServerNode *copy)
{
    FillDisplayName(copy);
    StrAssign(&node->DisplayName, copy->DisplayName);
    StrAssign(&node->ServerName, copy->ServerName);
    StrAssign(&node->SavedSession, copy->SavedSession);
    StrAssign(&node->UserName, copy->UserName);
    /* re-protecting an unchanged password on every save is slow */
    if (!StrEqual(NodePassword(node), NodePassword(copy)))
        NodeSetPassword(node, NodePassword(copy));
    StrAssign(&node->CLParams, copy->CLParams);
    StrAssign(&node->Script, copy->Script);
    node->Port = copy->Port;
    node->PuttyConType = copy->PuttyConType;
    node->PasswordMode = copy->PasswordMode;
    node->PasswordDelay = copy->PasswordDelay;
    node->ScriptDelay = copy->ScriptDelay;
    node->CustomCmd = copy->CustomCmd;
}

static const wchar_t *DeliveryNote(int mode)
{
    switch (mode) {
    case DELIVER_TYPE:
        return L"\r\n(비밀번호는 PuTTY 창이 뜬 뒤 직접 입력합니다)";
    case DELIVER_PWFILE:
        return L"\r\n(비밀번호는 잠시 쓰고 지우는 임시 파일로 전달합니다)";
    case DELIVER_CMDLINE:
        return L"\r\n(주의: 비밀번호가 명령줄에 노출됩니다)";
    default:
        return L"";
    }
}

wchar_t *PropertiesPreview(const ServerNode *copy)
{
    int mode = DELIVER_NONE;
    wchar_t *args = BuildPuttyArguments(copy, nullptr, nullptr, true, &mode);
    TextBuilder b = {};
    b.Append(L"putty.exe ");
    b.Append(args);
    b.Append(DeliveryNote(mode));
    /* a custom command line may carry its own -pw */
    StrFreeSecret(args);
    wchar_t *text = StrDup(b.Text());
    b.Wipe();
    return text;
}
