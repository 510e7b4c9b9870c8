cmake_minimum_required(VERSION 3.25)
# Makes the release package with CPack and requires exactly the program, the players' guide and the
# example settings file at the top of the archive.
# Usage: cmake -DCPACK=... -DBINARY_DIR=... -DPACKAGE=.../ZTLV-Launcher-<version>-win32.zip
#              -P this file
file(REMOVE ${PACKAGE})
execute_process(COMMAND ${CPACK} -G ZIP --config ${BINARY_DIR}/CPackConfig.cmake
    WORKING_DIRECTORY ${BINARY_DIR} OUTPUT_QUIET RESULT_VARIABLE failed)
if(failed OR NOT EXISTS ${PACKAGE})
    message(FATAL_ERROR "cpack made no ${PACKAGE}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf ${PACKAGE} OUTPUT_VARIABLE listing)
string(REPLACE "\n" ";" entries "${listing}")
list(REMOVE_ITEM entries "")
list(SORT entries)
set(expected "ZTLV LAUNCHER.EXE" "ZTLV LAUNCHER.TXT" "ztlvlauncher.example.ini")
if(NOT entries STREQUAL expected)
    message(FATAL_ERROR "${PACKAGE} holds [${entries}], not [${expected}]")
endif()
message(STATUS "${PACKAGE}: ${entries}")
