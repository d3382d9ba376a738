# Benchmarks: programs that print figures; tools/bench.sh builds and runs
# them.  Outside the normal build: nothing here builds unless asked for.
set(BENCH_DIR ${CMAKE_SOURCE_DIR}/bench)
add_library(bench_common STATIC EXCLUDE_FROM_ALL ${BENCH_DIR}/generate.cpp ${BENCH_DIR}/bench_util.cpp
    ${CMAKE_SOURCE_DIR}/tests/fixtures/gui_objects.cpp)
target_link_libraries(bench_common PUBLIC kestrum_pure psapi gdi32 user32)
target_compile_options(bench_common PRIVATE ${KESTRUM_FLAGS})

# bench_config: ConfigSave and ConfigLoad.
# bench_start: Kestrum.exe started from outside: start-up time and memory
#   against a trivial program's (bench_hello, bench_hello_dlls).
# bench_ui: the real main window in its own process: RefillTree,
#   SessionsTick, LayoutMainWindow, connect latency and 200 sessions.
add_executable(bench_config EXCLUDE_FROM_ALL ${BENCH_DIR}/bench_config.cpp)
add_executable(bench_start EXCLUDE_FROM_ALL ${BENCH_DIR}/bench_start.cpp)
add_dependencies(bench_start Kestrum bench_hello bench_hello_dlls putty_double)
add_executable(bench_hello WIN32 EXCLUDE_FROM_ALL ${BENCH_DIR}/bench_hello.cpp)
add_executable(bench_hello_dlls WIN32 EXCLUDE_FROM_ALL ${BENCH_DIR}/bench_hello.cpp)
target_compile_definitions(bench_hello_dlls PRIVATE HELLO_WITH_KESTRUM_DLLS)
target_link_libraries(bench_hello_dlls PRIVATE ${KESTRUM_SYSTEM_LIBS})
add_executable(bench_ui EXCLUDE_FROM_ALL ${BENCH_DIR}/bench_ui.cpp
    ${CMAKE_SOURCE_DIR}/tests/fixtures/main_window_util.cpp ${CMAKE_SOURCE_DIR}/tests/fixtures/stub_prompts.cpp
    ${CMAKE_SOURCE_DIR}/tests/fixtures/win_tests.rc)
target_link_libraries(bench_ui PRIVATE kestrum_win)
add_dependencies(bench_ui putty_double)
set(BENCH_TARGETS bench_config bench_start bench_hello bench_hello_dlls bench_ui)

# bench_xml: the XML reader against pugixml, whose source tools/bench.sh
# unpacks into the build folder (it is not part of the project).
set(PUGIXML_SOURCE ${CMAKE_BINARY_DIR}/pugixml/src)
if(EXISTS ${PUGIXML_SOURCE}/pugixml.cpp)
    add_executable(bench_xml EXCLUDE_FROM_ALL ${BENCH_DIR}/bench_xml.cpp ${PUGIXML_SOURCE}/pugixml.cpp)
    target_include_directories(bench_xml PRIVATE ${PUGIXML_SOURCE})
    target_compile_definitions(bench_xml PRIVATE PUGIXML_WCHAR_MODE PUGIXML_NO_EXCEPTIONS)
    list(APPEND BENCH_TARGETS bench_xml)
endif()

foreach(t ${BENCH_TARGETS})
    if(t MATCHES "^bench_hello")
        target_link_options(${t} PRIVATE -municode)
    else()
        target_link_libraries(${t} PRIVATE bench_common)
    endif()
    target_compile_definitions(${t} PRIVATE ${KESTRUM_DEFS})
    target_compile_options(${t} PRIVATE ${KESTRUM_FLAGS})
    target_link_options(${t} PRIVATE -static)
    set_target_properties(${t} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endforeach()
add_custom_target(benchmarks DEPENDS ${BENCH_TARGETS})
