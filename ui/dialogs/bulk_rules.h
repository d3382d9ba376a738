/*
 * bulk_rules.h: the bulk password change without its dialog: which
 * servers the filters let through, and what changing one means.
 */
#ifndef KESTRUM_UI_DIALOGS_BULK_RULES_H
#define KESTRUM_UI_DIALOGS_BULK_RULES_H

struct ServerNode;

/* Longer user filters are matched against the user name only. */
enum { BULK_USER_MAX = 128 };

/* The dialog's filters; an empty or null text lets every server by. */
struct BulkFilter {
    const wchar_t *User;    /* the user name, or "-l user" in a custom command line */
    const wchar_t *Text;    /* within the host or the extra arguments */
    bool EmptyOnly;         /* only servers without a password */
};

/* What OK finds wrong with the new password and its repetition. */
enum { BULK_PASSWORDS_OK, BULK_PASSWORD_EMPTY, BULK_PASSWORDS_DIFFER };
/* The repetition must match character for character. */
int CheckBulkPasswords(const wchar_t *password, const wchar_t *repeated);
/* The warning for a problem of CheckBulkPasswords. */
const wchar_t *BulkPasswordProblemText(int problem);

/* "선택한 폴더: " and the folder's name; a new string. */
wchar_t *BulkFolderLabel(const ServerNode *folder);
/* The folder walked: the offered one when it is chosen, else the whole
 * tree. */
ServerNode *BulkScope(ServerNode *folder, bool folderChosen);

bool BulkUserMatches(const ServerNode *server, const wchar_t *user);
/* All three filters pass. */
bool BulkSelects(ServerNode *server, const BulkFilter *filter);
/* The new password on server, with every -pw pair of its extra
 * arguments taken out, so that the stored password is the one used. */
void BulkChangeServer(ServerNode *server, const wchar_t *password);
/* Changes each server below folder (any depth) that the filters let
 * by; the number changed. */
int BulkChangePasswords(ServerNode *folder, const BulkFilter *filter, const wchar_t *password);

#endif
