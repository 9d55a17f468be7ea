# Derives, from the MinGW linker's default script, one that places the section
# .gimage (the test host's stand-in of the game's image, uninitialised data)
# right after the headers, so that the executable's module base plus every
# game offset falls inside it. A build step:
#   cmake -DLD=<x86_64-w64-mingw32-ld> -DOUTPUT=<gimage.ld> -P gimage-linker-script.cmake
execute_process(COMMAND ${LD} --verbose OUTPUT_VARIABLE verbose RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cannot read the default linker script of ${LD}")
endif()
string(FIND "${verbose}" "==================================================" first)
if(first EQUAL -1)
  message(FATAL_ERROR "${LD} --verbose printed no default linker script")
endif()
math(EXPR begin "${first} + 50")
string(SUBSTRING "${verbose}" ${begin} -1 rest)
string(FIND "${rest}" "==================================================" end)
string(SUBSTRING "${rest}" 0 ${end} text)
set(text_line "  .text  __image_base__ + ( __section_alignment__ < 0x1000 ? . : __section_alignment__ ) :")
string(FIND "${text}" "${text_line}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "unexpected default linker script: no .text placement found")
endif()
string(REPLACE "${text_line}"
  "  .gimage __image_base__ + ( __section_alignment__ < 0x1000 ? . : __section_alignment__ ) (NOLOAD) :\n  {\n    *(.gimage)\n  }\n  .text BLOCK(__section_alignment__) :"
  text "${text}")
file(WRITE ${OUTPUT} "${text}")
