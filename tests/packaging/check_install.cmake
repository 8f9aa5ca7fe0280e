# cmake -DBUILD_DIR=... -DPREFIX=... -DAPP_ID=... -DVERSION=... -P check_install.cmake
# Installs the build into PREFIX and checks the tree: the files and nothing of the test setup,
# the desktop entry and metainfo valid against each other and the icon, the metainfo's newest
# release the project's version, and the installed command line running from there.
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${rc}")
endif()

set(expected
    bin/zephyr-wifi
    bin/zephyr-cli
    share/applications/${APP_ID}.desktop
    share/metainfo/${APP_ID}.metainfo.xml
    share/icons/hicolor/scalable/apps/${APP_ID}.svg)
file(GLOB_RECURSE installed RELATIVE ${PREFIX} ${PREFIX}/*)
list(SORT installed)
list(SORT expected)
if(NOT installed STREQUAL expected)
    message(FATAL_ERROR "installed files:\n  ${installed}\nexpected:\n  ${expected}")
endif()

# The desktop entry names the installed program and icon.
file(STRINGS ${PREFIX}/share/applications/${APP_ID}.desktop entry)
foreach(line "Exec=zephyr-wifi" "Icon=${APP_ID}")
    if(NOT line IN_LIST entry)
        message(FATAL_ERROR "the desktop entry has no line \"${line}\"")
    endif()
endforeach()

# The tree as a software centre reads it: metainfo, its launchable desktop entry and the icon.
execute_process(COMMAND appstreamcli validate-tree --no-net --strict ${PREFIX}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "appstreamcli validate-tree (${rc}):\n${out}")
endif()
execute_process(COMMAND desktop-file-validate ${PREFIX}/share/applications/${APP_ID}.desktop
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "desktop-file-validate (${rc}):\n${out}")
endif()

file(READ ${PREFIX}/share/metainfo/${APP_ID}.metainfo.xml metainfo)
string(REGEX MATCH "<release version=\"([^\"]*)\"" newest "${metainfo}")
if(NOT CMAKE_MATCH_1 STREQUAL VERSION)
    message(FATAL_ERROR "the metainfo's newest release is \"${CMAKE_MATCH_1}\", the project's "
                        "version ${VERSION}: add a <release> for it")
endif()

# The installed command line stands on its own: without arguments it prints its usage (status 2).
execute_process(COMMAND ${PREFIX}/bin/zephyr-cli
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 2 OR NOT err MATCHES "^usage: zephyr-cli")
    message(FATAL_ERROR "installed zephyr-cli: status ${rc}, stderr:\n${err}")
endif()

# So does the window: its QML modules are built in. It runs until stopped, here after 3 s, over
# scratch folders and a PC address where nothing answers; an early exit is a failure.
file(MAKE_DIRECTORY ${PREFIX}/run/data ${PREFIX}/run/keychain)
set(ENV{QT_QPA_PLATFORM} offscreen)
set(ENV{ZEPHYR_DATA_DIR} ${PREFIX}/run/data)
set(ENV{ZEPHYR_KEYCHAIN_DIR} ${PREFIX}/run/keychain)
set(ENV{ZEPHYR_SSID} ZephyrWiFi)
set(ENV{ZEPHYR_WIFI_ADDRESS} 127.0.0.1)
set(ENV{ZEPHYR_PC_ADDRESS} 127.0.0.1)
set(ENV{ZEPHYR_PC_PORT} 9)
execute_process(COMMAND ${PREFIX}/bin/zephyr-wifi WORKING_DIRECTORY ${PREFIX}/run TIMEOUT 3
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc MATCHES "timeout")
    message(FATAL_ERROR "installed zephyr-wifi ended on its own (${rc}):\n${err}")
endif()
file(REMOVE_RECURSE ${PREFIX})
