# Cross build of the Windows DLL and its tests with clang targeting MinGW-w64,
# over the MinGW sysroot and the C++ runtime of the posix-thread MinGW g++
# (libstdc++, winpthreads) and its GNU linker. Debian's clang does not find
# that g++'s folder (named after its thread model), so it is asked for here.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER clang-14)
set(CMAKE_CXX_COMPILER clang++-14)
set(CMAKE_C_COMPILER_TARGET x86_64-w64-windows-gnu)
set(CMAKE_CXX_COMPILER_TARGET x86_64-w64-windows-gnu)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/wine-run.sh")

execute_process(COMMAND x86_64-w64-mingw32-g++-posix -print-libgcc-file-name
                OUTPUT_VARIABLE libgcc OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT EXISTS "${libgcc}")
  message(FATAL_ERROR "clang's MinGW build needs x86_64-w64-mingw32-g++-posix (its C++ runtime)")
endif()
get_filename_component(gcc_dir "${libgcc}" DIRECTORY)
set(CMAKE_CXX_FLAGS_INIT
    "-isystem ${gcc_dir}/include/c++ -isystem ${gcc_dir}/include/c++/x86_64-w64-mingw32 -isystem ${gcc_dir}/include/c++/backward")
# Programs are linked by the MinGW linker (clang would take the machine's own
# ld): the test host's image needs its linker script. The DLL is linked by
# LLVM's linker, which writes its symbols as a PDB (the format Windows' crash
# tools read). -pthread puts winpthreads after libstdc++ on the link line, as
# g++-posix does.
find_program(VELLOQUIN_MINGW_LD NAMES x86_64-w64-mingw32-ld REQUIRED)
find_program(VELLOQUIN_LLD NAMES ld.lld ld.lld-14 REQUIRED)
set(CMAKE_EXE_LINKER_FLAGS_INIT "--ld-path=${VELLOQUIN_MINGW_LD} -L${gcc_dir} -pthread")
foreach(kind SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS_INIT "--ld-path=${VELLOQUIN_LLD} -L${gcc_dir} -pthread")
endforeach()
# The DLL's objects carry CodeView debug information for that PDB.
set(VELLOQUIN_PDB ON CACHE BOOL "Link Velloquin.dll with a PDB beside it (LLVM's linker)")
