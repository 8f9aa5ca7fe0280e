# zephyr_add_test(NAME SOURCES... LIBS libs... [ENV VAR=VALUE...])
# One Qt Test executable registered with CTest; tests run offscreen, in UTC, in the C locale, and
# find the stand-in PC through ZEPHYR_PC_BIN.
function(zephyr_add_test name)
    cmake_parse_arguments(T "" "" "SOURCES;LIBS;ENV" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test ${T_LIBS})
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/common)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TZ=UTC;LC_ALL=C.UTF-8;ZEPHYR_PC_BIN=$<TARGET_FILE:zephyr-pc>;${T_ENV}"
        TIMEOUT 300)
endfunction()
