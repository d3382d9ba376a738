/*
 * Importing an arbitrary mtputty.xml, adding or replacing, with or
 * without its options: no crash, no leak; a file that is not read
 * changes nothing, and every imported server is counted in the
 * receiving folder.
 */
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include "../config/mtputty_import.h"
#include "../config/server_tree.h"
#include "../config/settings.h"
#include "../core/files.h"
#include "../core/text.h"

static char NarrowPath[128];
static wchar_t Path[KPATH];

static void RemoveFile(void)
{
    PlatFileDelete(Path);
}

/* One file per process, in memory where the system offers it. */
static void MakePath(void)
{
    snprintf(NarrowPath, sizeof NarrowPath, "%s/kestrum-fuzz-mtputty-%d.xml",
             access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp", (int)getpid());
    for (int i = 0; i < KPATH - 1 && (Path[i] = (wchar_t)NarrowPath[i]) != 0; i++)
        if (Path[i] == '/')
            Path[i] = '\\';
    atexit(RemoveFile);
}

static void Reset(void)
{
    NodeFreeTree(ServersRoot);
    ServersRoot = NodeNew(NODE_FOLDER);
    ServerNode *kept = NodeNew(NODE_SERVER);
    StrAssign(&kept->DisplayName, L"kept");
    NodeAppendChild(ServersRoot, kept);
    SettingsSetDefaults();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (!Path[0])
        MakePath();
    /* Written plainly: the product's atomic write waits for the disk. */
    FILE *f = fopen(NarrowPath, "wb");
    if (!f || fwrite(data, 1, size, f) != size || fclose(f) != 0)
        abort();
    /* the mode from the length, so that every mode meets every shape */
    bool replace = size & 1, options = size & 2;
    Reset();
    MtputtyImportResult result = { NULL, -7, -7 };
    int servers = ImportMtputtyFile(Path, replace, options, &result);
    if (servers == MTPUTTY_NOT_READ) {
        if (result.Servers != -7 || NodeCountServers(ServersRoot) != 1)
            abort();
    } else if (servers != result.Servers || servers != NodeCountServers(result.Folder) ||
               result.NeedPassword < 0 || result.NeedPassword > servers ||
               NodeCountServers(ServersRoot) != servers + (replace ? 0 : 1) ||
               StrLen(Settings.PuttyPath) >= KPATH) {
        abort();
    }
    NodeFreeTree(ServersRoot);
    ServersRoot = NULL;
    SettingsSetDefaults();
    return 0;
}
