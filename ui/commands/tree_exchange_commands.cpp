/*
 * tree_exchange_commands.cpp: the tree export and import commands
 * (ExportTreeCommand and ImportTreeCommand of launchers.h): the file
 * choice, the questions and the messages around config/tree_exchange.
 */
#include <windows.h>

#include "../../config/config_file.h"
#include "../../config/tree_exchange.h"
#include "../../core/files.h"
#include "../../core/text.h"
#include "../dialogs/config_warn.h"
#include "../dialogs/launchers.h"
#include "../dialogs/prompts.h"
#include "../shell/main_window.h"
#include "../tree/tree_view.h"

void ExportTreeCommand(void)
{
    wchar_t path[KPATH];
    StrCopyTo(path, KPATH, L"kestrum-tree.xml");
    if (!ChooseFile(MainWindow, true, L"XML 파일\0*.xml\0", L"xml", path, KPATH))
        return;
    int answer = ShowMessage(MainWindow, MB_YESNOCANCEL | MB_ICONQUESTION,
                             L"비밀번호도 내보낼까요?\n\n예: 평문으로 포함 (파일 관리에 주의)\n아니요: 비밀번호 제외");
    if (answer != IDYES && answer != IDNO)
        return;
    if (!ExportTree(path, answer == IDYES))
        ShowMessage(MainWindow, MB_ICONERROR, L"파일을 저장하지 못했습니다.");
}

/* False when the file is not imported here; the user has been told. */
static bool Recognised(const wchar_t *path, TreeImport *import)
{
    switch (OpenTreeImport(path, import)) {
    case TREE_FILE_TREE:
        return true;
    case TREE_FILE_UNREADABLE:
        ShowMessage(MainWindow, MB_ICONERROR, L"파일을 읽지 못했습니다.");
        return false;
    case TREE_FILE_MTPUTTY:
        ShowMessage(MainWindow, MB_ICONINFORMATION,
                    L"MTPuTTY 파일입니다. 'MTPuTTY 설정 가져오기'로 진행합니다.");
        ImportMtputtyCommand();
        return false;
    }
    ShowMessage(MainWindow, MB_ICONERROR, L"Kestrum 트리 파일이 아닙니다.");
    return false;
}

void ImportTreeCommand(void)
{
    wchar_t path[KPATH];
    path[0] = 0;
    if (!ChooseFile(MainWindow, false, L"XML 파일\0*.xml\0모든 파일\0*.*\0", L"xml", path, KPATH))
        return;
    TreeImport import;
    if (!Recognised(path, &import))
        return;
    int answer = ShowMessage(MainWindow, MB_YESNOCANCEL | MB_ICONQUESTION,
                             L"현재 서버 트리를 바꿀까요?\n\n예: 바꾸기\n아니요: '가져온 서버' 폴더로 추가");
    if (answer != IDYES && answer != IDNO) {
        CloseTreeImport(&import);
        return;
    }
    ServerNode *folder = ApplyTreeImport(&import, answer == IDYES);
    /* ServersRoot is never an item: nothing is selected after a replace */
    RefillTree(folder);
    ConfigSaveOrWarn();
}
