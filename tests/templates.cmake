# Dialog templates: read back from the built Kestrum.exe.
if(WIN32)
    list(APPEND WIN_SOURCES test_templates_win.cpp win_shot.cpp)
    list(APPEND WIN_SUITES DialogTemplates)
    list(APPEND WIN_HELPERS Kestrum)
endif()
