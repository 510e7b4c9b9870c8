# The -posix compilers carry the threads GoogleTest needs; -static keeps the programs free of any
# DLL beyond Windows' own.
set(CMAKE_C_COMPILER ${ZTLV_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZTLV_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ZTLV_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${ZTLV_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
