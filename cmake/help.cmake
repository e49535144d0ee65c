# The help files beside Norvanex.exe: Norvanex.hlp and one HTML page per language, compiled from
# resources/help/ by helpc. helpc runs on the build machine, so this cross build builds it as a
# project of its own with the host's compiler.
include(ExternalProject)

find_program(NORVANEX_HOST_CXX NAMES c++ g++ clang++ REQUIRED)
set(_helpc_dir ${CMAKE_BINARY_DIR}/host/helpc)
set(NORVANEX_HELPC ${_helpc_dir}/helpc)
ExternalProject_Add(helpc_host
  SOURCE_DIR ${CMAKE_SOURCE_DIR}/tools/helpc
  BINARY_DIR ${_helpc_dir}
  CMAKE_ARGS -DCMAKE_CXX_COMPILER=${NORVANEX_HOST_CXX} -DCMAKE_BUILD_TYPE=Release
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS ${NORVANEX_HELPC}
  INSTALL_COMMAND "")

# English first: its index is the topic the file opens at when none is asked for.
set(_help_en ${CMAKE_SOURCE_DIR}/resources/help/en.txt)
set(_help_de ${CMAKE_SOURCE_DIR}/resources/help/de.txt)
set(_help_out ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
add_custom_command(
  OUTPUT ${_help_out}/Norvanex.hlp ${_help_out}/Norvanex.html ${_help_out}/Norvanex_de.html
  COMMAND ${CMAKE_COMMAND} -E make_directory ${_help_out}
  COMMAND ${NORVANEX_HELPC} ${_help_out}/Norvanex.hlp "${NORVANEX_HELP_TITLE}"
          ${_help_en} ${_help_out}/Norvanex.html ${_help_de} ${_help_out}/Norvanex_de.html
  DEPENDS helpc_host ${NORVANEX_HELPC} ${_help_en} ${_help_de} ${CMAKE_BINARY_DIR}/generated/NorvanexVersion.h
  COMMENT "Compiling the help files"
  VERBATIM)
add_custom_target(norvanex_help ALL
  DEPENDS ${_help_out}/Norvanex.hlp ${_help_out}/Norvanex.html ${_help_out}/Norvanex_de.html)
add_dependencies(Norvanex norvanex_help)
