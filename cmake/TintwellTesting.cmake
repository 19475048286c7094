# One line registers a test correctly: a label, a time-out, the offscreen
# platform, and a private home and config directory so that no test can touch
# the user's real settings.
#
#   tintwell_add_test(NAME SOURCES a.cpp b.cpp LIBS lib... [QT] [LABEL l] [TIMEOUT s]
#                     [DEFINES D=v...])
#
# The tests of one folder are compiled into one executable, tests_<folder>
# (tests/ui/chart gives tests_ui_chart), linked once: a hundred separate test
# programs each linking the Qt libraries were most of a fresh build. Every
# test keeps its own CTest entry, which runs that executable on the GoogleTest
# cases of its own source files only (--tintwell_sources=...), in its own
# process and home directory, so `ctest -R NAME` and `-L LABEL` select as
# before; a GoogleTest filter narrows further
# (`bin/tests_tools --tintwell_sources=test_kelvin.cpp --gtest_filter=Kelvin.*`).
# NAME stays a target too (one that builds nothing), so
# `add_dependencies(NAME program)` says which program a test runs.
#
# QT in any test of a folder gives the folder the test main that creates a
# QApplication and points QSettings at a temporary directory; otherwise the
# plain GoogleTest main is used.
find_package(GTest REQUIRED)

# Test code waits on instruments far longer than it computes; optimising it
# cost more build time than it ever saved.
set(TINTWELL_TEST_OPTIONS)
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    set(TINTWELL_TEST_OPTIONS -O0)
endif()
# GoogleTest and the common Qt headers are parsed once, into the precompiled
# header of the two test mains, which every test executable reuses. A reused
# header is valid only for the same options and macros: every Qt test
# executable links the same Qt modules (through tintwell_qt_test_main) and
# compiles with the same TINTWELL_TEST_OPTIONS.
set(TINTWELL_TEST_PCH <gtest/gtest.h> <functional> <memory> <string> <vector>)
set(TINTWELL_QT_TEST_PCH ${TINTWELL_TEST_PCH} <QApplication> <QDir> <QFile> <QList> <QObject>
    <QSettings> <QSignalSpy> <QString> <QStringList> <QTest> <QTimer> <QVector> <QWidget>)

function(tintwell_add_test name)
    cmake_parse_arguments(T "QT" "LABEL;TIMEOUT" "SOURCES;LIBS;DEFINES" ${ARGN})
    if(NOT T_LABEL)
        set(T_LABEL unit)
    endif()
    # Until CTest has timed a run, tests that declare a long time-out start
    # first, so that a long wait does not begin last and hold up the end.
    set(cost ${T_TIMEOUT})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 120)
        set(cost 0)
    endif()
    file(RELATIVE_PATH rel ${PROJECT_SOURCE_DIR}/tests ${CMAKE_CURRENT_SOURCE_DIR})
    string(REPLACE "/" "_" group "tests_${rel}")
    get_property(started DIRECTORY PROPERTY TINTWELL_TEST_GROUP)
    if(NOT started)
        set_property(DIRECTORY PROPERTY TINTWELL_TEST_GROUP ${group})
        # The executable is made once the folder's list is complete.
        cmake_language(EVAL CODE "cmake_language(DEFER CALL _tintwell_add_test_group ${group})")
    endif()
    set_property(DIRECTORY APPEND PROPERTY TINTWELL_TEST_SOURCES ${T_SOURCES})
    set_property(DIRECTORY APPEND PROPERTY TINTWELL_TEST_LIBS ${T_LIBS})
    set_property(DIRECTORY APPEND PROPERTY TINTWELL_TEST_DEFINES ${T_DEFINES})
    set_property(DIRECTORY APPEND PROPERTY TINTWELL_TEST_NAMES ${name})
    if(T_QT)
        set_property(DIRECTORY PROPERTY TINTWELL_TEST_QT TRUE)
    endif()
    add_custom_target(${name})

    set(own)
    foreach(source ${T_SOURCES})
        if(source MATCHES "\\.cpp$")
            get_filename_component(base ${source} NAME)
            list(APPEND own ${base})
        endif()
    endforeach()
    list(JOIN own "," own)
    set(home ${CMAKE_BINARY_DIR}/testhome/${name})
    file(MAKE_DIRECTORY ${home}/config)
    add_test(NAME ${name} COMMAND ${group} --tintwell_sources=${own})
    set_tests_properties(${name} PROPERTIES
        LABELS ${T_LABEL}
        TIMEOUT ${T_TIMEOUT}
        COST ${cost}
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;HOME=${home};XDG_CONFIG_HOME=${home}/config;TINTWELL_TEST_HOME=${home};TINTWELL_BIN_DIR=${CMAKE_BINARY_DIR}/bin;TINTWELL_DATA_DIR=${TINTWELL_DATA_DIR}")
endfunction()

function(_tintwell_add_test_group group)
    get_property(sources DIRECTORY PROPERTY TINTWELL_TEST_SOURCES)
    get_property(libs DIRECTORY PROPERTY TINTWELL_TEST_LIBS)
    get_property(defines DIRECTORY PROPERTY TINTWELL_TEST_DEFINES)
    get_property(names DIRECTORY PROPERTY TINTWELL_TEST_NAMES)
    get_property(qt DIRECTORY PROPERTY TINTWELL_TEST_QT)
    list(REMOVE_DUPLICATES sources)
    list(REMOVE_DUPLICATES libs)
    add_executable(${group} ${sources})
    set_target_properties(${group} PROPERTIES AUTOMOC ON)
    if(qt)
        target_link_libraries(${group} PRIVATE ${libs} tintwell_qt_test_main)
        target_precompile_headers(${group} REUSE_FROM tintwell_qt_test_main)
    else()
        target_link_libraries(${group} PRIVATE ${libs} tintwell_test_main)
        target_precompile_headers(${group} REUSE_FROM tintwell_test_main)
    endif()
    target_include_directories(${group} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
    target_compile_definitions(${group} PRIVATE ${defines})
    target_compile_options(${group} PRIVATE ${TINTWELL_TEST_OPTIONS})
    add_dependencies(${group} ${names})
endfunction()
