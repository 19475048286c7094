# One line registers a test correctly: a label, a time-out, the offscreen
# platform, and a private home and config directory so that no test can touch
# the user's real settings.
#
#   tintwell_add_test(NAME SOURCES a.cpp b.cpp LIBS lib... [QT] [LABEL l] [TIMEOUT s])
#
# QT links the test main that creates a QApplication and points QSettings at a
# temporary directory; without it the plain GoogleTest main is used.
find_package(GTest REQUIRED)

function(tintwell_add_test name)
    cmake_parse_arguments(T "QT" "LABEL;TIMEOUT" "SOURCES;LIBS" ${ARGN})
    if(NOT T_LABEL)
        set(T_LABEL unit)
    endif()
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 120)
    endif()
    add_executable(${name} ${T_SOURCES})
    if(T_QT)
        target_link_libraries(${name} PRIVATE ${T_LIBS} tintwell_qt_test_main)
    else()
        target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
    endif()
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
    set(home ${CMAKE_BINARY_DIR}/testhome/${name})
    file(MAKE_DIRECTORY ${home}/config)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        LABELS ${T_LABEL}
        TIMEOUT ${T_TIMEOUT}
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;HOME=${home};XDG_CONFIG_HOME=${home}/config;TINTWELL_TEST_HOME=${home};TINTWELL_BIN_DIR=${CMAKE_BINARY_DIR}/bin;TINTWELL_DATA_DIR=${TINTWELL_DATA_DIR}")
endfunction()
