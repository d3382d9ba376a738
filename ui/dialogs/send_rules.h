/*
 * send_rules.h: the decisions of the send-script dialog, without
 * windows: which sessions a target reaches, the delay field, what an
 * entry of the special-key pop-up inserts, and how the bytes of a script
 * file become the text of the edit.
 */
#ifndef KESTRUM_UI_DIALOGS_SEND_RULES_H
#define KESTRUM_UI_DIALOGS_SEND_RULES_H

/* Settings.SendScriptTarget */
enum { SEND_TARGET_ACTIVE = 0, SEND_TARGET_ALL = 1, SEND_TARGET_SELECTED = 2 };

/* A remembered target clamped into 0..2. */
int ClampSendTarget(int target);

/* One open session as the dialog sees it when sending. */
struct SendCandidate {
    int Id;         /* Session.Id */
    bool Running;
};

/* The ids of the sessions that get the script, in list order, into out
 * (room for count ids); returns how many.  Only running sessions count:
 * all of them for SEND_TARGET_ALL, the one with activeId for
 * SEND_TARGET_ACTIVE, those whose ids are among selectedIds for
 * SEND_TARGET_SELECTED.  Ids name sessions because sessions may open or
 * close while the dialog is open: a selected id that is gone is skipped. */
int SendTargetIds(int target, const SendCandidate *sessions, int count, int activeId, const int *selectedIds,
                  int selectedCount, int *out);

/* The line delay of the delay field's text (ParseInt); below 0 is 0. */
int SendDelayFromText(const wchar_t *text);

/* Ids of the pop-up's own entries after the special keys, whose ids are
 * CMD_SPECIAL_KEY_FIRST + row. */
enum { SEND_MENU_WAIT = 1000, SEND_MENU_PASSWORD = 1001, SEND_MENU_USER = 1002 };
enum { SEND_INSERT_MAX = 16 };
/* What the chosen pop-up entry inserts ("{PGUP}", "{WAIT 500}") into out
 * (SEND_INSERT_MAX characters); false for any other id, 0 included. */
bool SpecialKeyInsertText(int command, wchar_t *out);

/* How DecodeScriptFile read a file. */
enum { SCRIPT_FILE_UTF8, SCRIPT_FILE_UTF16, SCRIPT_FILE_ANSI, SCRIPT_FILE_BINARY };

/* The text of a script file, a new string: UTF-16 after its byte-order
 * mark (FF FE or FE FF); else UTF-8 (its mark dropped) when the bytes are
 * strict UTF-8 or there are none; else the system's ANSI code page.  Bare
 * CR and LF become CR LF, the only line end a Windows edit shows, which
 * types the same Enter.  Null, with SCRIPT_FILE_BINARY, for text holding a
 * zero character: the edit would silently cut it there.  kind is
 * optional. */
wchar_t *DecodeScriptFile(const char *bytes, int count, int *kind);

#endif
