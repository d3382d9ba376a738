/*
 * settings_rules.cpp: the settings dialog's decisions.
 */
#include "settings_rules.h"

#include "../../core/text.h"

bool VersionTakesPwfile(int major, int minor)
{
    return major > 0 || minor >= 77;
}

wchar_t *VersionLineText(bool exists, int major, int minor)
{
    if (!exists)
        return StrDup(L"이 경로에 실행 파일이 없습니다.");
    if (major == 0 && minor == 0)
        return StrDup(L"버전 정보를 읽지 못했습니다.");
    TextBuilder b = {};
    b.AppendFormat(L"버전 %d.%d  ·  -pwfile %s", major, minor,
                   VersionTakesPwfile(major, minor) ? L"지원 (비밀번호를 명령줄에 노출하지 않음)"
                                                    : L"미지원 (0.77 이상 필요, 비밀번호는 창에 입력)");
    return b.Take();
}

wchar_t *ConfigFileLineText(const wchar_t *path)
{
    /* built, not formatted: the path may hold a percent sign */
    TextBuilder b = {};
    b.Append(L"설정 파일: ");
    b.Append(path ? path : L"");
    return b.Take();
}

int PasswordModeListIndex(int mode)
{
    return PasswordModeFromList(mode - 1) - 1;
}

int PasswordModeFromList(int index)
{
    return index >= 0 && index < SETTINGS_MODE_ENTRIES ? index + 1 : 1;
}

int ReconnectDelayFromBox(int seconds)
{
    return seconds >= 1 ? seconds : 1;
}
