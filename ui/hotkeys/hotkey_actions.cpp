/*
 * hotkey_actions.cpp: the action table.
 */
#include "hotkey_actions.h"
#include "../commands/command_ids.h"

const HotkeyAction HotkeyActions[HOTKEY_COUNT] = {
    { L"다음 탭", CMD_NEXT_TAB },
    { L"이전 탭", CMD_PREV_TAB },
    { L"트리 ↔ PuTTY 포커스 전환", CMD_SWITCH_FOCUS },
    { L"세션 목록 보이기/숨기기", CMD_TOGGLE_SESSION_LIST },
    { L"PuTTY 위치 지정", CMD_PUTTY_LOCATION },
    { L"설정", CMD_SETTINGS },
    { L"서버 트리 보이기/숨기기", CMD_TOGGLE_TREE },
    { L"도구 모음 보이기/숨기기", CMD_TOGGLE_TOOLBAR },
    { L"서버 추가", CMD_ADD_SERVER },
    { L"폴더 추가", CMD_ADD_FOLDER },
    { L"삭제", CMD_DELETE },
    { L"세션 분리", CMD_DETACH },
    { L"연결", CMD_CONNECT },
    { L"빠른 연결", CMD_QUICK_CONNECT },
    { L"속성", CMD_PROPERTIES },
    { L"스크립트 보내기", CMD_SEND_SCRIPT },
    { L"PuTTY 창 가져오기", CMD_ATTACH_WINDOWS },
    { L"탭 이름 바꾸기", CMD_RENAME_TAB },
    { L"트리 가져오기", CMD_IMPORT_TREE },
    { L"트리 내보내기", CMD_EXPORT_TREE },
    { L"단축키 설정", CMD_HOTKEYS },
    { L"세션 복제", CMD_DUPLICATE_SESSION },
    { L"비밀번호 일괄 변경", CMD_BULK_PASSWORD },
    { L"탭 닫기", CMD_CLOSE_TAB },
    { L"다시 연결", CMD_RECONNECT },
    { L"서버 찾기", CMD_FIND },
    { L"메뉴 표시줄 보이기/숨기기", CMD_TOGGLE_MENU },
    { L"PuTTY 시스템 메뉴", CMD_PUTTY_MENU },
    { L"동시 입력 줄 보이기/숨기기", CMD_TOGGLE_BROADCAST_BAR },
    { L"동시 입력에 포함/빼기", CMD_BROADCAST_MEMBER },
};

/* RegisterHotKey's and the hotkey control's modifier bits; <windows.h>
 * stays out of this module. */
enum { MOD_ALT_BIT = 1, MOD_CONTROL_BIT = 2, MOD_SHIFT_BIT = 4 };
enum { HKF_SHIFT = 1, HKF_CONTROL = 2, HKF_ALT = 4 };
enum { VKEY_F1 = 0x70, VKEY_F24 = 0x87, VKEY_APPS = 0x5D };

unsigned HotkeyModifiers(int value)
{
    return (value & HK_SHIFT ? MOD_SHIFT_BIT : 0) | (value & HK_CTRL ? MOD_CONTROL_BIT : 0) |
           (value & HK_ALT ? MOD_ALT_BIT : 0);
}

int HotkeyFromControl(unsigned word)
{
    int key = word & 0xFF, flags = (word >> 8) & 0xFF;
    if (!key)
        return 0;
    return key | (flags & HKF_SHIFT ? HK_SHIFT : 0) | (flags & HKF_CONTROL ? HK_CTRL : 0) |
           (flags & HKF_ALT ? HK_ALT : 0);
}

unsigned HotkeyToControl(int value)
{
    unsigned flags = (value & HK_SHIFT ? HKF_SHIFT : 0) | (value & HK_CTRL ? HKF_CONTROL : 0) |
                     (value & HK_ALT ? HKF_ALT : 0);
    return (value & 0xFF) | flags << 8;
}

bool HotkeyRefused(int value)
{
    int key = value & 0xFF;
    if (!value || value & (HK_CTRL | HK_ALT))
        return false;
    return !(key >= VKEY_F1 && key <= VKEY_F24) && key != VKEY_APPS;
}

int AssignHotkey(int values[HOTKEY_COUNT], int row, int value)
{
    int lost = -1;
    if (value)
        for (int i = 0; i < HOTKEY_COUNT; i++)
            if (i != row && values[i] == value) {
                values[i] = 0;
                lost = i;
            }
    values[row] = value;
    return lost;
}
