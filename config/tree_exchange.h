/*
 * tree_exchange.h: the user's server tree in a file of its own (root
 * KestrumTree), to carry it to another machine or user, and reading such
 * a file back in place of the tree or beside it.
 *
 * A protected password opens only for the Windows user who sealed it, so
 * an export carries passwords in clear or not at all.  Any file with a
 * Servers section under its root is taken, the configuration file too.
 */
#ifndef KESTRUM_CONFIG_TREE_EXCHANGE_H
#define KESTRUM_CONFIG_TREE_EXCHANGE_H

struct ServerNode;
struct XmlElement;

/* The folder that an import beside the tree appends to it. */
extern const wchar_t ImportedTreeFolderName[];

/* The export document of ServersRoot in UTF-8, passwords in clear with
 * withPasswords, else none at all.  The composed text is wiped; the
 * caller wipes the bytes (MemWipe) before MemFree. */
char *ComposeTreeExport(bool withPasswords, int *bytes);
/* The document written atomically to path.  False when it could not be
 * written; the target is then untouched and no ".tmp" remains. */
bool ExportTree(const wchar_t *path, bool withPasswords);

/* What a file chosen for import turned out to be. */
enum TreeFileKind {
    TREE_FILE_UNREADABLE,   /* could not be read */
    TREE_FILE_FOREIGN,      /* no root element, or no Servers under it */
    TREE_FILE_MTPUTTY,      /* MTPuTTY's settings: its own import takes it */
    TREE_FILE_TREE,         /* a Servers section to import */
};

/* A file read for import.  Only a TREE_FILE_TREE keeps its document,
 * until ApplyTreeImport or CloseTreeImport. */
struct TreeImport {
    int Kind;
    XmlElement *Document;
};

/* The kind of a parsed document (root may be null). */
int TreeDocumentKind(const XmlElement *root);
/* Reads and recognises path into *import; returns import->Kind.  The
 * raw bytes and text, which may hold clear passwords, are wiped. */
int OpenTreeImport(const wchar_t *path, TreeImport *import);
/* Releases a document that is not applied, its texts wiped first. */
void CloseTreeImport(TreeImport *import);
/* The Servers section into ServersRoot (replace: the old tree is
 * released first) or into a new open folder ImportedTreeFolderName
 * appended to it.  UIDs are kept as written.  The document is released;
 * returns the folder that received the nodes. */
ServerNode *ApplyTreeImport(TreeImport *import, bool replace);

#endif
