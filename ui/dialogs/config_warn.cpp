/*
 * config_warn.cpp: saving with the user told of a failure.
 */
#include "config_warn.h"

#include "../../config/config_file.h"
#include "../shell/main_window.h"
#include "prompts.h"

void ConfigSaveOrWarn(void)
{
    if (!ConfigSave())
        ShowMessage(MainWindow, MB_ICONWARNING, L"설정 파일을 저장하지 못했습니다:\n%s", ConfigFilePath);
}
