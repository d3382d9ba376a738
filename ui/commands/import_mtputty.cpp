/*
 * import_mtputty.cpp: the MTPuTTY import command (ImportMtputtyCommand
 * of launchers.h): which file, which mode, the import, bringing the
 * window up to date and the report.
 */
#include <windows.h>

#include "../../config/config_file.h"
#include "../../config/mtputty_import.h"
#include "../../core/files.h"
#include "../../sessions/putty_discovery.h"
#include "../dialogs/config_warn.h"
#include "../dialogs/launchers.h"
#include "../dialogs/prompts.h"
#include "../hotkeys/hotkeys.h"
#include "../shell/layout.h"
#include "../shell/main_window.h"
#include "../shell/menus.h"
#include "../shell/toolbar.h"
#include "../tree/tree_view.h"

/* MTPuTTY's own file when there is one and the user takes it, else one
 * chosen; false when the choice is cancelled. */
static bool ChooseMtputtyFile(wchar_t *path)
{
    if (MtputtySuggestedPath(path, KPATH) &&
        ShowMessage(MainWindow, MB_YESNO | MB_ICONQUESTION,
                    L"이 파일에서 가져올까요?\n%s\n\n'아니요'를 누르면 다른 파일을 고릅니다.", path) == IDYES)
        return true;
    path[0] = 0;
    return ChooseFile(MainWindow, false, L"MTPuTTY 설정 (mtputty.xml)\0*.xml\0모든 파일\0*.*\0", L"xml", path, KPATH);
}

/* Everything the PuTTY path, the options and the hotkeys reach. */
static void RefreshAfterImport(ServerNode *folder)
{
    ReadPuttyVersion();
    BuildTreeImageList();
    LoadPuttySessions();
    /* ServersRoot is never an item: nothing is selected after a replace */
    RefillTree(folder);
    RebuildMenuBar();
    ApplyTabPosition();
    LayoutMainWindow();
    ConfigSaveOrWarn();
}

static void ReportImport(const MtputtyImportResult *r)
{
    if (r->NeedPassword == 0) {
        ShowMessage(MainWindow, MB_ICONINFORMATION, L"서버 %d개를 가져왔습니다.", r->Servers);
        return;
    }
    if (ShowMessage(MainWindow, MB_YESNO | MB_ICONINFORMATION,
                    L"서버 %d개를 가져왔습니다.\n\n"
                    L"MTPuTTY는 비밀번호를 자체 방식으로 암호화해 저장하기 때문에 옮길 수 없습니다. "
                    L"(명령줄의 '-pw *****'도 실제 비밀번호가 아니라 가림 표시입니다.)\n"
                    L"비밀번호를 다시 입력해야 하는 서버가 %d개 있습니다.\n\n"
                    L"지금 '비밀번호 일괄 변경'을 열까요? 사용자 이름으로 걸러서 한 번에 넣을 수 있습니다.",
                    r->Servers, r->NeedPassword) != IDYES)
        return;
    ShowBulkPasswordDialog(r->Folder);
    RefillTree(NULL);
    ConfigSaveOrWarn();
}

void ImportMtputtyCommand(void)
{
    wchar_t path[KPATH];
    if (!ChooseMtputtyFile(path))
        return;
    int answer = ShowMessage(MainWindow, MB_YESNOCANCEL | MB_ICONQUESTION,
                             L"현재 서버 트리를 MTPuTTY 트리로 바꿀까요?\n\n"
                             L"예: 바꾸기 (MTPuTTY의 PuTTY 경로·옵션·단축키도 가져옴)\n"
                             L"아니요: 'MTPuTTY에서 가져옴' 폴더로 추가");
    if (answer != IDYES && answer != IDNO)
        return;
    bool replace = answer == IDYES;
    /* Off before the values change: switching off releases the keys the
     * values name, so a key cleared while registered would stay behind. */
    SetHotkeysActive(false);
    MtputtyImportResult result;
    bool imported = ImportMtputtyFile(path, replace, replace, &result) != MTPUTTY_NOT_READ;
    if (imported)
        RefreshAfterImport(result.Folder);
    SetHotkeysActive(GetForegroundWindow() == MainWindow);
    if (!imported) {
        ShowMessage(MainWindow, MB_ICONERROR, L"MTPuTTY 설정 파일을 읽지 못했습니다.");
        return;
    }
    ReportImport(&result);
}
