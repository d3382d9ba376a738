# Saved-session names and the folder; PuTTY discovery against Wine.
list(APPEND UNIT_SOURCES test_putty_sessions.cpp)
list(APPEND UNIT_SUITES SessionNames)
if(WIN32)
    list(APPEND WIN_SOURCES test_discovery_win.cpp)
    list(APPEND WIN_SUITES SearchEnv Discovery SavedSessions)
    # Programs with known version resources, built beside the tests.
    foreach(v 0_76 0_78 1_0)
        add_executable(version_${v} version_stub.c version_${v}.rc)
        target_link_options(version_${v} PRIVATE -static)
        list(APPEND WIN_HELPERS version_${v})
    endforeach()
endif()
