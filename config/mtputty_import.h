/*
 * mtputty_import.h: taking over MTPuTTY's mtputty.xml: its server tree
 * and, in replace mode, its PuTTY path, options and hotkeys.
 *
 * MTPuTTY keeps passwords in an encrypted form of its own, so they do
 * not come along: servers that lost theirs are marked NeedsPassword and
 * counted, for the bulk password change to fill in.
 */
#ifndef KESTRUM_CONFIG_MTPUTTY_IMPORT_H
#define KESTRUM_CONFIG_MTPUTTY_IMPORT_H

struct ServerNode;
struct XmlElement;

/* The folder that add mode appends to the user's tree. */
extern const wchar_t MtputtyImportFolderName[];

enum { MTPUTTY_NOT_READ = -1 };

struct MtputtyImportResult {
    ServerNode *Folder;     /* received the servers: ServersRoot when replacing */
    int Servers;            /* servers below Folder */
    int NeedPassword;       /* of those, the ones left without a password */
};

/* APPDATA\TTYPlus\mtputty.xml into out; false when APPDATA is not set
 * or no such file exists. */
bool MtputtySuggestedPath(wchar_t *out, int size);

/* A document of MTPuTTY's: the root is MTPutty, in any letter case. */
bool IsMtputtyDocument(const XmlElement *root);

/* MTPuTTY's Globals into Settings: PuTTY path, tab and termination
 * options, hotkeys.  A missing General or Advanced element leaves its
 * settings alone. */
void ApplyMtputtyOptions(const XmlElement *globals);

/* Reads the file's servers into ServersRoot (replace: the old tree is
 * released) or into a new folder MtputtyImportFolderName appended to it,
 * and with options applies its Globals.  Returns the number of servers
 * imported, or MTPUTTY_NOT_READ when the file cannot be read or is not
 * MTPuTTY's; nothing has changed then and *result is untouched. */
int ImportMtputtyFile(const wchar_t *path, bool replace, bool options, MtputtyImportResult *result);

#endif
