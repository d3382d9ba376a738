/*
 * config_file.h: finding, loading and saving kestrum.xml.
 *
 * The file holds the settings, the server tree, the login data of
 * PuTTY's saved sessions and the sessions open at the last exit.  Every
 * change is saved at once by rewriting the whole file atomically.
 */
#ifndef KESTRUM_CONFIG_CONFIG_FILE_H
#define KESTRUM_CONFIG_CONFIG_FILE_H

#include "../core/files.h"

struct ServerNode;
struct TextBuilder;

extern wchar_t ConfigFilePath[KPATH];
/* Set by the first save that found the file present: one ".bak" per run. */
extern bool BackupMade;

/* A session recorded at the last exit, for start-up to reopen. */
struct PendingOpenSession {
    wchar_t *Uid;
    wchar_t *Session;
    wchar_t *Caption;
    ServerNode *Node;           /* inline server, detached; or null */
    bool Member;                /* of the broadcast group */
    PendingOpenSession *Next;
};
extern PendingOpenSession *PendingOpenSessions;
void FreePendingOpenSessions(void);

/* How the writer sees one open session; the session list supplies them
 * through ConfigOpenSessionAt (null while there is none). */
struct OpenSessionRecord {
    const ServerNode *Node;     /* the session's own copy, or null */
    const wchar_t *Caption;
    bool CaptionIsCustom;
    bool Member;                /* of the broadcast group */
};
typedef bool (*OpenSessionSource)(int index, OpenSessionRecord *out);
extern OpenSessionSource ConfigOpenSessionAt;

/* kestrum.xml next to the executable if present, else APPDATA\Kestrum. */
void ConfigLocate(void);
/* True when a file with the root Kestrum was read and applied.  A file
 * that does not parse is copied to "<path>.broken". */
bool ConfigLoad(void);
/* ConfigLoad's work on the bytes of a file (without the ".broken" copy). */
enum ConfigApplyResult { CONFIG_APPLIED, CONFIG_NOT_KESTRUM };
ConfigApplyResult ConfigApply(const char *bytes, int count);
/* Writes the whole file; the first save of a run keeps a ".bak". */
bool ConfigSave(void);

/* The Open entry of one session (exposed for the tests). */
void ConfigWriteOpenSession(TextBuilder *b, const OpenSessionRecord *s);

#endif
