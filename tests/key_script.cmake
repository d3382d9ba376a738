# The keystroke script engine and the posting of keys to a window.
list(APPEND UNIT_SOURCES test_key_script.cpp)
list(APPEND UNIT_SUITES KeyScript KeyQueues KeyStroke KeyPlayer)
if(WIN32)
    list(APPEND WIN_SOURCES test_key_post_win.cpp)
    list(APPEND WIN_SUITES KeyPost)
endif()
