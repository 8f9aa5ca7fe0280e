# cmake -DSCRIPT=.../scripts/check-format -DSCRATCH=... -P check_format.cmake
# The formatting check passes a formatted file, names each unformatted one in a folder (and
# not the formatted ones), and refuses a path that does not exist.
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${SCRATCH})
file(WRITE ${SCRATCH}/tree/good.cpp "int main()\n{\n    return 0;\n}\n")
file(WRITE ${SCRATCH}/tree/sub/bad.h "struct Point{int x;int y;};\n")
file(WRITE ${SCRATCH}/tree/sub/notes.txt "struct  Point{int x;};\n")

function(check_format expected_rc)
    execute_process(COMMAND ${SCRIPT} ${ARGN}
                    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT rc EQUAL expected_rc)
        message(FATAL_ERROR "check-format ${ARGN}: status ${rc}, not ${expected_rc}\n${out}${err}")
    endif()
    set(err "${err}" PARENT_SCOPE)
endfunction()

check_format(0 ${SCRATCH}/tree/good.cpp)
check_format(1 ${SCRATCH}/tree)
if(NOT err MATCHES "1 of 2 files" OR NOT err MATCHES "sub/bad.h" OR err MATCHES "good.cpp")
    message(FATAL_ERROR "check-format did not name exactly the unformatted file:\n${err}")
endif()
check_format(2 ${SCRATCH}/tree/missing.cpp)
file(REMOVE_RECURSE ${SCRATCH})
