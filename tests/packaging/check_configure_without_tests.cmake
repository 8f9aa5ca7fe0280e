# cmake -DSOURCE_DIR=... -DSCRATCH=... -DGENERATOR=... -P check_configure_without_tests.cmake
# Configures the tree without tests and without the stand-in PC while Qt Test, Qt Quick Test,
# Qt HttpServer and Google Benchmark are hidden from find_package: it must succeed and generate
# no test. A configure with tests must fail under the same hiding, or the hiding proves nothing.
cmake_minimum_required(VERSION 3.25)
set(hidden
    -DCMAKE_DISABLE_FIND_PACKAGE_Qt6Test=ON
    -DCMAKE_DISABLE_FIND_PACKAGE_Qt6QuickTest=ON
    -DCMAKE_DISABLE_FIND_PACKAGE_Qt6HttpServer=ON
    -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON)

file(REMOVE_RECURSE ${SCRATCH})
execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${SCRATCH}/with-tests -G ${GENERATOR}
                        -DBUILD_TESTING=ON ${hidden}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(rc EQUAL 0)
    message(FATAL_ERROR "a configure with tests succeeded without Qt Test: nothing is hidden")
endif()

execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${SCRATCH}/plain -G ${GENERATOR}
                        -DBUILD_TESTING=OFF -DZEPHYR_PCSIM=OFF ${hidden}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "configure with -DBUILD_TESTING=OFF -DZEPHYR_PCSIM=OFF failed:\n${out}")
endif()
if(EXISTS ${SCRATCH}/plain/CTestTestfile.cmake)
    message(FATAL_ERROR "a configure with -DBUILD_TESTING=OFF registered tests")
endif()
file(REMOVE_RECURSE ${SCRATCH})
