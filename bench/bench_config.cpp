/*
 * bench_config: times ConfigSave and ConfigLoad of generated server trees
 * (nested folders, realistic field lengths, every server with a password).
 * Prints one line per size; run under Wine by tools/bench.sh.
 */
#include <windows.h>
#include <stdio.h>

#include "../config/config_file.h"
#include "../config/server_tree.h"
#include "../config/settings.h"
#include "../core/text.h"

static double Now()
{
    static LARGE_INTEGER freq;
    if (!freq.QuadPart)
        QueryPerformanceFrequency(&freq);
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return (double)t.QuadPart * 1000.0 / (double)freq.QuadPart;
}

static void Set(wchar_t **field, const wchar_t *format, int i)
{
    wchar_t buf[1025];
    StrFormat(buf, format, i, i % 97);
    StrAssign(field, buf);
}

/* Folders of 25 servers, ten folders per group, groups at the top. */
static void Generate(int servers)
{
    NodeFreeTree(ServersRoot);
    ServersRoot = NodeNew(NODE_FOLDER);
    ServerNode *group = NULL, *folder = NULL;
    for (int i = 0; i < servers; i++) {
        if (i % 250 == 0) {
            group = NodeNew(NODE_FOLDER);
            Set(&group->DisplayName, L"데이터센터 %d 운영", i / 250);
            group->Expanded = 1;
            NodeAppendChild(ServersRoot, group);
        }
        if (i % 25 == 0) {
            folder = NodeNew(NODE_FOLDER);
            Set(&folder->DisplayName, L"rack-%04d (web tier %d)", i / 25);
            NodeAppendChild(group, folder);
        }
        ServerNode *s = NodeNew(NODE_SERVER);
        Set(&s->DisplayName, L"web-%05d.prod.example.com [%d]", i);
        Set(&s->ServerName, L"10.%d.%d.17", i);
        Set(&s->UserName, L"deploy%d_%d", i);
        Set(&s->Password, L"S3cure!pass-%08d/%d", i);
        Set(&s->CLParams, L"-A -L 8%04d:localhost:80 -C -%d", i);
        Set(&s->Script, L"sudo -i\r\n{WAIT 800}{PASSWORD}\r\ncd /var/log/app%d\r\ntail -n %d app.log\r\n", i);
        s->Port = 22;
        s->PasswordMode = i % 5;
        s->ScriptDelay = 300;
        NodeAppendChild(folder, s);
    }
}

int main()
{
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    StrFormat(ConfigFilePath, L"%skestrum-bench.xml", dir);
    printf("%-8s %12s %12s %12s\n", "servers", "file bytes", "save ms", "load ms");
    const int sizes[] = { 1000, 10000, 50000 };
    for (int size : sizes) {
        SettingsSetDefaults();
        Generate(size);
        BackupMade = true;
        double best = 1e9, bestLoad = 1e9;
        for (int round = 0; round < 3; round++) {
            double t0 = Now();
            if (!ConfigSave()) {
                printf("save failed\n");
                return 1;
            }
            double t1 = Now();
            NodeFreeTree(ServersRoot);
            NodeFreeTree(PuttyLoginRoot);
            ServersRoot = PuttyLoginRoot = NULL;
            FreePendingOpenSessions();
            double t2 = Now();
            if (!ConfigLoad() || NodeCountServers(ServersRoot) != size) {
                printf("load failed\n");
                return 1;
            }
            double t3 = Now();
            if (t1 - t0 < best)
                best = t1 - t0;
            if (t3 - t2 < bestLoad)
                bestLoad = t3 - t2;
        }
        WIN32_FILE_ATTRIBUTE_DATA fa;
        GetFileAttributesExW(ConfigFilePath, GetFileExInfoStandard, &fa);
        printf("%-8d %12lu %12.1f %12.1f\n", size, (unsigned long)fa.nFileSizeLow, best, bestLoad);
    }
    DeleteFileW(ConfigFilePath);
    return 0;
}
