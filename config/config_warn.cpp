/*
 * config_warn.cpp: saving with the user told of a failure.
 */
#include "../ui/dialogs/prompts.h"
#include "../ui/shell/main_window.h"
#include "config_file.h"

void ConfigSaveOrWarn(void)
{
    if (!ConfigSave())
        ShowMessage(MainWindow, MB_ICONWARNING, L"설정 파일을 저장하지 못했습니다:\n%s", ConfigFilePath);
}
