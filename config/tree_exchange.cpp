/*
 * tree_exchange.cpp: writing and reading the tree export file.
 */
#include "tree_exchange.h"

#include "../core/files.h"
#include "../core/text.h"
#include "../core/xml_reader.h"
#include "mtputty_import.h"
#include "server_tree.h"

const wchar_t ImportedTreeFolderName[] = L"가져온 서버";

char *ComposeTreeExport(bool withPasswords, int *bytes)
{
    TextBuilder b = {};
    b.Append(L"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<KestrumTree version=\"1\">\r\n\t<Servers>\r\n");
    if (ServersRoot)
        NodeWriteList(&b, ServersRoot->FirstChild, 2, true, !withPasswords);
    b.Append(L"\t</Servers>\r\n</KestrumTree>\r\n");
    char *utf8 = Utf8FromWide(b.Text(), bytes);
    b.Wipe();
    return utf8;
}

bool ExportTree(const wchar_t *path, bool withPasswords)
{
    int bytes = 0;
    char *utf8 = ComposeTreeExport(withPasswords, &bytes);
    bool ok = WriteFileAtomic(path, utf8, bytes);
    MemWipe(utf8, (size_t)bytes);
    MemFree(utf8);
    return ok;
}

int TreeDocumentKind(const XmlElement *root)
{
    if (!root)
        return TREE_FILE_FOREIGN;
    /* MTPuTTY's file has a Servers section too: it must be asked first */
    if (IsMtputtyDocument(root))
        return TREE_FILE_MTPUTTY;
    return XmlChild(root, L"Servers") ? TREE_FILE_TREE : TREE_FILE_FOREIGN;
}

static void WipeText(wchar_t *s)
{
    if (s)
        MemWipe(s, (size_t)StrLen(s) * sizeof(wchar_t));
}

/* The element after e in document order, staying below root. */
static XmlElement *NextElement(XmlElement *e, const XmlElement *root)
{
    if (e->FirstChild)
        return e->FirstChild;
    for (; e && e != root; e = e->Parent)
        if (e->NextSibling)
            return e->NextSibling;
    return NULL;
}

/* An exported file may carry clear passwords, in Password elements and
 * in -pw arguments: every text goes before the memory is given back. */
static void FreeDocument(XmlElement *root)
{
    for (XmlElement *e = root; e; e = NextElement(e, root)) {
        WipeText(e->Text);
        for (XmlAttribute *a = e->Attributes; a; a = a->Next)
            WipeText(a->Value);
    }
    XmlFree(root);
}

int OpenTreeImport(const wchar_t *path, TreeImport *import)
{
    import->Document = NULL;
    char *data;
    int bytes;
    if (!ReadWholeFile(path, &data, &bytes)) {
        import->Kind = TREE_FILE_UNREADABLE;
        return import->Kind;
    }
    wchar_t *text = WideFromUtf8(data, bytes);
    MemWipe(data, (size_t)bytes);
    MemFree(data);
    XmlElement *root = XmlParseDocument(text);
    StrFreeSecret(text);
    import->Kind = TreeDocumentKind(root);
    if (import->Kind == TREE_FILE_TREE)
        import->Document = root;
    else
        FreeDocument(root);
    return import->Kind;
}

void CloseTreeImport(TreeImport *import)
{
    FreeDocument(import->Document);
    import->Document = NULL;
}

static ServerNode *ReceivingFolder(bool replace)
{
    if (!ServersRoot)
        ServersRoot = NodeNew(NODE_FOLDER);
    if (!replace) {
        ServerNode *folder = NodeNew(NODE_FOLDER);
        StrAssign(&folder->DisplayName, ImportedTreeFolderName);
        folder->Expanded = 1;
        NodeAppendChild(ServersRoot, folder);
        return folder;
    }
    for (ServerNode *n = ServersRoot->FirstChild, *next; n; n = next) {
        next = n->NextSibling;
        NodeFreeTree(n);
    }
    ServersRoot->FirstChild = NULL;
    return ServersRoot;
}

ServerNode *ApplyTreeImport(TreeImport *import, bool replace)
{
    ServerNode *folder = ReceivingFolder(replace);
    /* without the import flag: the file's passwords and CustomCmd are
     * ours, taken as written */
    NodeReadList(folder, XmlChild(import->Document, L"Servers"), false);
    CloseTreeImport(import);
    return folder;
}
