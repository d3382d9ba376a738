# Menus: contents and item rules (pure), the menus of the real main
# window and the hotkey texts under Wine.
list(APPEND UNIT_SOURCES test_menu_rules.cpp)
list(APPEND UNIT_SUITES MenuRules)
if(WIN32)
    list(APPEND WIN_SOURCES test_menus_win.cpp win_shot.cpp)
    list(APPEND WIN_SUITES Menus HotkeyText)
endif()
