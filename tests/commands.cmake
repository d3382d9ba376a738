# Commands and the tree control through the real main window.
if(WIN32)
    list(APPEND WIN_SOURCES test_commands_win.cpp)
    list(APPEND WIN_SUITES Commands)
endif()
if(WIN32)
    list(APPEND WIN_SOURCES test_tree_program_win.cpp)
    list(APPEND WIN_SUITES TreeProgram)
endif()
