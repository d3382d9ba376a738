/*
 * bulk_rules.cpp: the bulk password change's filters and walk.
 */
#include "bulk_rules.h"

#include "../../config/server_params.h"
#include "../../config/server_tree.h"
#include "../../core/text.h"

int CheckBulkPasswords(const wchar_t *password, const wchar_t *repeated)
{
    if (StrIsEmpty(password))
        return BULK_PASSWORD_EMPTY;
    /* exact: a locale comparison could call two different passwords equal */
    int n = StrLen(password);
    if (StrLen(repeated) != n || MemCompare(password, repeated, (size_t)n * sizeof(wchar_t)) != 0)
        return BULK_PASSWORDS_DIFFER;
    return BULK_PASSWORDS_OK;
}

const wchar_t *BulkPasswordProblemText(int problem)
{
    switch (problem) {
    case BULK_PASSWORD_EMPTY:
        return L"새 비밀번호를 입력하세요.";
    case BULK_PASSWORDS_DIFFER:
        return L"두 비밀번호가 다릅니다.";
    }
    return L"";
}

wchar_t *BulkFolderLabel(const ServerNode *folder)
{
    TextBuilder b = {};
    b.Append(L"선택한 폴더: ");
    if (folder && folder->DisplayName)
        b.Append(folder->DisplayName);
    wchar_t *label = b.Take();
    b.Release();
    return label;
}

ServerNode *BulkScope(ServerNode *folder, bool folderChosen)
{
    return folder && folderChosen ? folder : ServersRoot;
}

bool BulkUserMatches(const ServerNode *server, const wchar_t *user)
{
    if (StrCompareNoCase(server->UserName, user) == 0)
        return true;
    if (!server->CustomCmd || StrLen(user) > BULK_USER_MAX)
        return false;
    /* a custom command line names its user with -l */
    wchar_t pattern[BULK_USER_MAX + 4];
    StrCopyTo(pattern, 4, L"-l ");
    StrCopyTo(pattern + 3, BULK_USER_MAX + 1, user);
    return StrFindNoCase(server->CLParams, pattern) != NULL;
}

bool BulkSelects(ServerNode *server, const BulkFilter *filter)
{
    if (filter->EmptyOnly && !StrIsEmpty(NodePassword(server)))
        return false;
    if (!StrIsEmpty(filter->User) && !BulkUserMatches(server, filter->User))
        return false;
    if (StrIsEmpty(filter->Text))
        return true;
    return StrFindNoCase(server->ServerName, filter->Text) || StrFindNoCase(server->CLParams, filter->Text);
}

void BulkChangeServer(ServerNode *server, const wchar_t *password)
{
    server->NeedsPassword = false;
    NodeSetPassword(server, password);
    /* Each call takes out the first pair; one left behind would still
     * reach PuTTY and win over the new password.  Every round removes a
     * pair, so this ends. */
    while (ExtractPasswordFromParams(server) != EXTRACT_NONE)
        ;
    NodeSetPassword(server, password);
}

int BulkChangePasswords(ServerNode *folder, const BulkFilter *filter, const wchar_t *password)
{
    int changed = 0;
    for (ServerNode *n = folder ? folder->FirstChild : NULL; n; n = n->NextSibling) {
        if (n->Type == NODE_FOLDER) {
            changed += BulkChangePasswords(n, filter, password);
        } else if (BulkSelects(n, filter)) {
            BulkChangeServer(n, password);
            changed++;
        }
    }
    return changed;
}
