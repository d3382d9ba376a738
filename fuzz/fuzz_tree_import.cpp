/*
 * Reading Node lists in import mode from arbitrary bytes, then the tree
 * operations that commands apply to imported nodes.
 */
#include <stddef.h>
#include <stdint.h>

#include "../config/server_tree.h"
#include "../core/text.h"
#include "../core/xml_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    wchar_t *text = WideFromUtf8((const char *)data, (int)size);
    XmlElement *root = XmlParseDocument(text);
    MemFree(text);
    ServerNode *folder = NodeNew(NODE_FOLDER);
    NodeReadList(folder, XmlChild(root, L"Servers") ? XmlChild(root, L"Servers") : root, true);
    XmlFree(root);
    NodeSortChildren(folder);
    ServerNode *clone = NodeClone(folder);
    NodeCountServers(clone);
    if (folder->FirstChild)
        NodeFindByUid(clone, folder->FirstChild->UID);
    NodeFreeTree(clone);
    NodeFreeTree(folder);
    return 0;
}
