# norvanex_delay_import(DLL VAR): makes a delay-load import library for the system DLL DLL (shell32)
# from the toolchain's own import library, at configure time, and sets VAR to its path. Linked
# instead of the plain import library, it binds the DLL at the first call of any of its functions
# rather than when the process starts; every call site stays a plain Win32 call, and the helper
# that binds (__delayLoadHelper2) comes with the mingw-w64 runtime.
#
# Each function of an import library is a pair of symbols, _Name@N (the call stub) and
# __imp__Name@N (its address slot); the DLL exports it as Name, which --kill-at gives back. So the
# delay-load library offers every function that the plain one offers, and a call added anywhere
# later needs no list to be kept. Data exports (a slot without a stub) cannot be bound late and are
# left out: a use of one fails to link instead of quietly loading the DLL at start again.
function(norvanex_delay_import dll var)
  find_library(NORVANEX_IMPLIB_${dll} NAMES ${dll} REQUIRED)
  set(out ${CMAKE_BINARY_DIR}/delay-import/lib${dll}_delay.a)
  set(${var} ${out} PARENT_SCOPE)
  if(EXISTS ${out} AND NOT ${NORVANEX_IMPLIB_${dll}} IS_NEWER_THAN ${out}
     AND NOT ${CMAKE_CURRENT_FUNCTION_LIST_FILE} IS_NEWER_THAN ${out})
    return()
  endif()

  execute_process(COMMAND ${CMAKE_NM} ${NORVANEX_IMPLIB_${dll}} OUTPUT_VARIABLE symbols
                  RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${CMAKE_NM} ${NORVANEX_IMPLIB_${dll}} failed")
  endif()
  string(REGEX MATCHALL "[^\n]+" lines "${symbols}")
  set(stubs)
  foreach(line IN LISTS lines)
    if(line MATCHES " T _([A-Za-z0-9_]+(@[0-9]+)?)$")
      list(APPEND stubs "${CMAKE_MATCH_1}")
    endif()
  endforeach()
  list(REMOVE_DUPLICATES stubs)
  list(SORT stubs)
  if(NOT stubs)
    message(FATAL_ERROR "no functions in ${NORVANEX_IMPLIB_${dll}}")
  endif()

  # dlltool names the members' symbols after the output file: run it beside the output, so that
  # they read lib${dll}_delay_a and not the build folder's path.
  set(folder ${CMAKE_BINARY_DIR}/delay-import)
  file(MAKE_DIRECTORY ${folder})
  list(JOIN stubs "\n" body)
  file(WRITE ${folder}/${dll}.def "LIBRARY ${dll}.dll\nEXPORTS\n${body}\n")
  execute_process(COMMAND ${CMAKE_DLLTOOL} --kill-at --input-def ${dll}.def --dllname ${dll}.dll
                          --output-delaylib lib${dll}_delay.a
                  WORKING_DIRECTORY ${folder} RESULT_VARIABLE status)
  # ld drops the code of an import-library member whose own symbol nobody calls, because a plain
  # import stub is then dead (calls go through __imp_Name). A delay-load member's address slot
  # starts out pointing into that code, at the jump to the binding helper: dropped, the slot would
  # hold 0 and the first call would jump there. ld knows such members by a code section with
  # relocations beside .idata$ sections; the stub marked as data (it still lands in .text) is
  # kept.
  if(status EQUAL 0)
    execute_process(COMMAND ${CMAKE_OBJCOPY}
                            "--rename-section=.text=.text$delay,alloc,load,readonly,contents,data"
                            lib${dll}_delay.a
                    WORKING_DIRECTORY ${folder} RESULT_VARIABLE status)
  endif()
  if(NOT status EQUAL 0)
    file(REMOVE ${out})
    message(FATAL_ERROR "could not make the delay-load library for ${dll}")
  endif()
endfunction()
