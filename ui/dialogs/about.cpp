/*
 * about.cpp: the about box.
 */
#include "../../config/config_file.h"
#include "../../config/settings.h"
#include "../../core/text.h"
#include "../../sessions/putty_sessions.h"
#include "../shell/main_window.h"
#include "prompts.h"

void ShowAbout(void)
{
    wchar_t version[24];
    if (PuttyVersionMajor || PuttyVersionMinor)
        StrFormat(version, L"%d.%d", PuttyVersionMajor, PuttyVersionMinor);
    else
        StrCopyTo(version, 24, L"알 수 없음");
    ShowMessage(MainWindow, MB_ICONINFORMATION,
                L"Kestrum %s\n여러 PuTTY 세션을 탭 하나에서 관리합니다.\n\n"
                L"지원 OS: Windows XP 이상 (32비트 단일 실행 파일, 추가 런타임 없음)\n\n"
                L"PuTTY: %s (버전 %s)\n설정 파일: %s",
                L"1.0.0", Settings.PuttyPath[0] ? Settings.PuttyPath : L"(지정 안 됨)", version,
                ConfigFilePath);
}
