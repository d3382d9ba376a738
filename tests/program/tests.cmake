# Kestrum.exe itself, started in a folder of its own and driven as a user
# would: its windows, menus, dialogs and files, a damaged configuration,
# running out of memory, and the dialog templates read back from it.
if(WIN32)
    list(APPEND WIN_SOURCES
        program/test_program_win.cpp program/test_rules_program_win.cpp program/test_tree_program_win.cpp
        program/test_tree_exchange_program_win.cpp program/test_attach_program_win.cpp
        program/test_quick_program_win.cpp program/test_settings_program_win.cpp
        program/test_broken_config_win.cpp program/test_memory_win.cpp program/test_templates_win.cpp)
    list(APPEND WIN_SUITES Program RulesProgram RulesWindow TreeProgram TreeExchangeProgram AttachProgram
        QuickProgram SettingsProgram BrokenConfig OutOfMemoryProgram DialogTemplates)

    # The product is the 32-bit build; an x86_64 tree only runs the tests.
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        add_test(NAME product.imports
            COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/program/check_imports.sh $<TARGET_FILE:Kestrum>)
        set_tests_properties(product.imports PROPERTIES SKIP_RETURN_CODE 77)
    endif()
endif()
