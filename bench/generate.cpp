/*
 * generate.cpp: generated server trees.
 */
#include "generate.h"

#include "../config/config_file.h"
#include "../config/server_tree.h"
#include "../core/text.h"

static void Set(wchar_t **field, const wchar_t *format, int i)
{
    wchar_t buf[1025];
    StrFormat(buf, format, i, i % 97);
    StrAssign(field, buf);
}

int GenerateServers(int servers)
{
    NodeFreeTree(ServersRoot);
    ServersRoot = NodeNew(NODE_FOLDER);
    ServerNode *group = NULL, *folder = NULL;
    int nodes = 0;
    for (int i = 0; i < servers; i++) {
        if (i % 250 == 0) {
            group = NodeNew(NODE_FOLDER);
            Set(&group->DisplayName, L"데이터센터 %d 운영", i / 250);
            group->Expanded = 1;
            NodeAppendChild(ServersRoot, group);
            nodes++;
        }
        if (i % 25 == 0) {
            folder = NodeNew(NODE_FOLDER);
            Set(&folder->DisplayName, L"rack-%04d (web tier %d)", i / 25);
            NodeAppendChild(group, folder);
            nodes++;
        }
        ServerNode *s = NodeNew(NODE_SERVER);
        Set(&s->DisplayName, L"web-%05d.prod.example.com [%d]", i);
        Set(&s->ServerName, L"10.%d.%d.17", i);
        Set(&s->UserName, L"deploy%d_%d", i);
        wchar_t password[64];
        StrFormat(password, L"S3cure!pass-%08d/%d", i, i % 97);
        NodeSetPassword(s, password);
        Set(&s->CLParams, L"-A -L 8%04d:localhost:80 -C -%d", i);
        Set(&s->Script, L"sudo -i\r\n{WAIT 800}{PASSWORD}\r\ncd /var/log/app%d\r\ntail -n %d app.log\r\n", i);
        s->Port = 22;
        s->PasswordMode = i % 5;
        s->ScriptDelay = 300;
        NodeAppendChild(folder, s);
        nodes++;
    }
    return nodes;
}

bool SaveGeneratedConfig(const wchar_t *path, int servers)
{
    GenerateServers(servers);
    StrCopyTo(ConfigFilePath, KPATH, path);
    BackupMade = true;      /* no ".bak" of a file the benchmark made */
    return ConfigSave();
}
