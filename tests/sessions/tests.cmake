# PuTTY's arguments and saved sessions, the keystroke script engine, the
# sessions' rules; under Windows the password file, discovery, the
# posting of keys, the PuTTY double itself, sessions of the double and
# many misbehaving ones at once.
list(APPEND UNIT_SOURCES
    sessions/test_putty_args.cpp sessions/test_key_script.cpp sessions/test_putty_sessions.cpp
    sessions/test_session_rules.cpp sessions/test_output_watch.cpp)
list(APPEND UNIT_SUITES ArgQuoting PuttyArgs Tokens ExtractPassword KeyScript KeyQueues KeyStroke KeyPlayer
    ScriptWaits SessionOutput SessionNames SessionRules)
if(WIN32)
    list(APPEND WIN_SOURCES
        sessions/test_password_file_win.cpp sessions/test_key_post_win.cpp sessions/test_discovery_win.cpp
        sessions/test_putty_double_win.cpp sessions/test_session_win.cpp sessions/test_stress_win.cpp
        sessions/test_script_waits_win.cpp)
    list(APPEND WIN_SUITES PasswordFile KeyPost SearchEnv Discovery SavedSessions PuttyDouble Sessions Stress WaitingScripts)
endif()
