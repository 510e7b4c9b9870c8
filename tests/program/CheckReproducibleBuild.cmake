cmake_minimum_required(VERSION 3.25)
# Builds the launcher afresh in a second folder and requires the same bytes as the program at hand.
# Usage: cmake -DSOURCE_DIR=... -DSECOND_BUILD_DIR=... -DTOOLCHAIN=... -DBUILD_TYPE=...
#              -DPROGRAM=... -P this file
file(REMOVE_RECURSE ${SECOND_BUILD_DIR})
execute_process(
    COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${SECOND_BUILD_DIR} -G Ninja
        -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN} -DCMAKE_BUILD_TYPE=${BUILD_TYPE}
        -DZTLV_WARNINGS_AS_ERRORS=ON -DZTLV_BUILD_TESTS=OFF
    OUTPUT_QUIET RESULT_VARIABLE failed)
if(NOT failed)
    execute_process(COMMAND ${CMAKE_COMMAND} --build ${SECOND_BUILD_DIR} --target ztlv_launcher
        OUTPUT_QUIET RESULT_VARIABLE failed)
endif()
if(failed)
    message(FATAL_ERROR "the second build in ${SECOND_BUILD_DIR} failed")
endif()
get_filename_component(name ${PROGRAM} NAME)
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${PROGRAM} ${SECOND_BUILD_DIR}/${name}
    RESULT_VARIABLE differ)
if(differ)
    message(FATAL_ERROR "${PROGRAM} and ${SECOND_BUILD_DIR}/${name} differ")
endif()
file(SHA256 ${PROGRAM} digest)
message(STATUS "both builds: ${name} SHA-256 ${digest}")
file(REMOVE_RECURSE ${SECOND_BUILD_DIR})
