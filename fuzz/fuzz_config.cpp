/*
 * Loading a configuration file of arbitrary bytes, then saving it: no
 * crash, no leak, and what is saved loads again.
 */
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include "../config/config_file.h"
#include "../config/server_tree.h"
#include "../config/settings.h"
#include "../core/text.h"

static void Reset(void)
{
    NodeFreeTree(ServersRoot);
    NodeFreeTree(PuttyLoginRoot);
    ServersRoot = PuttyLoginRoot = NULL;
    FreePendingOpenSessions();
    SettingsSetDefaults();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Reset();
    if (ConfigApply((const char *)data, (int)size) == CONFIG_APPLIED) {
        int servers = NodeCountServers(ServersRoot);
        for (int i = 0; i < RECENT_MAX; i++)
            if (Settings.Recents[i] && !Settings.Recents[i][0])
                abort();
        if (Settings.PasswordMode < 1 || Settings.PasswordMode > 4 || Settings.ViewMode < 0 ||
            Settings.ViewMode > 3)
            abort();
        /* Compose the file as a save would and read it back. */
        TextBuilder b = {};
        b.Append(L"<Kestrum><Servers>");
        NodeWriteList(&b, ServersRoot->FirstChild, 2, true, false);
        b.Append(L"</Servers></Kestrum>");
        int n = 0;
        char *utf8 = Utf8FromWide(b.Text(), &n);
        b.Release();
        Reset();
        if (ConfigApply(utf8, n) != CONFIG_APPLIED || NodeCountServers(ServersRoot) != servers)
            abort();
        MemFree(utf8);
    }
    Reset();
    return 0;
}
