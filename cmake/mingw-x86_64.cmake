# The same program built for 64-bit Windows, for machines whose kernel cannot execute 32-bit code
# and so cannot run 32-bit Wine: its test programs run under the 64-bit Wine loader.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(ZTLV_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
