# Makes the import libraries of Quellin.dll for callers that link against it (cmake -P).
#
#   -DNM=... -DDLLTOOL=... -DLLVM_DLLTOOL=... -DMACHINE=i386|i386:x86-64
#   -DDLL=<the linked, unstripped Quellin.dll> -DDEF=<quellin/Quellin.def> -DOUT=<folder>
#
# OUT receives:
# - Quellin.def: the exports of quellin/Quellin.def, each with the stdcall argument size that
#   the compiler gave it on i686 (QuellinGetFolder@12), read from the DLL's symbol table. The
#   DLL exports the names without the size; a 32-bit caller references the decorated name.
# - libQuellin.a: MinGW's import library, by dlltool -k from that file.
# - Quellin.lib: the import library for Microsoft's linker, by llvm-dlltool -k from that file
#   (the short import format link.exe reads).
# Made with -k, both libraries define the decorated names (_QuellinGetFolder@12 and
# __imp__QuellinGetFolder@12) and import the undecorated exports (QuellinGetFolder).
foreach(var NM DLLTOOL LLVM_DLLTOOL MACHINE DLL DEF OUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "ImportLibraries.cmake: ${var} not given")
  endif()
endforeach()

# An export "Name = Other" is a second name of Other's entry point: it takes Other's size.
file(STRINGS ${DEF} lines)
set(in_exports FALSE)
set(names)
foreach(line IN LISTS lines)
  string(STRIP "${line}" line)
  if(line STREQUAL "EXPORTS")
    set(in_exports TRUE)
  elseif(in_exports AND line MATCHES "^([A-Za-z_][A-Za-z0-9_]*)[ \t]*=[ \t]*([A-Za-z_][A-Za-z0-9_]*)")
    list(APPEND names ${CMAKE_MATCH_1})
    set(entry_${CMAKE_MATCH_1} ${CMAKE_MATCH_2})
  elseif(in_exports AND line MATCHES "^([A-Za-z_][A-Za-z0-9_]*)")
    list(APPEND names ${CMAKE_MATCH_1})
    set(entry_${CMAKE_MATCH_1} ${CMAKE_MATCH_1})
  endif()
endforeach()
if(NOT names)
  message(FATAL_ERROR "no exports listed in ${DEF}")
endif()

execute_process(COMMAND ${NM} ${DLL} OUTPUT_VARIABLE symbols RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${NM} ${DLL} failed")
endif()

set(exports)
foreach(name IN LISTS names)
  set(entry ${entry_${name}})
  if(symbols MATCHES "[ \t]_${entry}(@[0-9]+)\n")
    string(APPEND exports "    ${name}${CMAKE_MATCH_1}\n")
  elseif(symbols MATCHES "[ \t]_?${entry}\n")
    string(APPEND exports "    ${name}\n")
  else()
    message(FATAL_ERROR "${DLL} has no symbol for the export ${name}")
  endif()
endforeach()

file(MAKE_DIRECTORY ${OUT})
file(WRITE ${OUT}/Quellin.def
"; Quellin.dll: its exports, stdcall, exported without decoration. Each name carries the
; argument size that a 32-bit stdcall caller's reference includes (_QuellinGetFolder@12), so
; that an import library made with dlltool -k or llvm-dlltool -k resolves that reference to
; the undecorated export:
;   dlltool -k -d Quellin.def -l libQuellin.a
;   llvm-dlltool -m i386 -k -d Quellin.def -l Quellin.lib
LIBRARY Quellin.dll
EXPORTS
${exports}")

# Run in OUT with plain file names: dlltool names the library's members and symbols after the
# path it is given.
foreach(command
        "${DLLTOOL};-k;-d;Quellin.def;-l;libQuellin.a"
        "${LLVM_DLLTOOL};-m;${MACHINE};-k;-d;Quellin.def;-l;Quellin.lib")
  execute_process(COMMAND ${command} WORKING_DIRECTORY ${OUT} RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "failed: ${command}")
  endif()
endforeach()
