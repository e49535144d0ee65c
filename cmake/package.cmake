# The release: `cmake --build build/win32 --target package` writes Norvanex-<version>-win32.zip and
# SHA256SUMS into the build folder. The zip holds the program, its help, README.txt and LICENSE.txt,
# always in this order and with one fixed date (tools/release.py), so that two builds of one commit
# give the same bytes. CPack's ZIP generator is not used: it stores each file's own time (unless
# SOURCE_DATE_EPOCH is set) and the build machine's Unix mode, owner and group.
set(NORVANEX_ZIP_NAME Norvanex-${PROJECT_VERSION}-win32.zip)
set(NORVANEX_ZIP ${CMAKE_BINARY_DIR}/${NORVANEX_ZIP_NAME})
set(NORVANEX_SUMS ${CMAKE_BINARY_DIR}/SHA256SUMS)
find_program(NORVANEX_PYTHON NAMES python3 HINTS /usr/bin REQUIRED)

# The texts for Windows users: CRLF line ends, so that Notepad shows their lines.
set(_release_texts ${CMAKE_BINARY_DIR}/release)
configure_file(${CMAKE_SOURCE_DIR}/resources/README.txt.in ${_release_texts}/README.txt @ONLY NEWLINE_STYLE CRLF)
configure_file(${CMAKE_SOURCE_DIR}/LICENSE ${_release_texts}/LICENSE.txt @ONLY NEWLINE_STYLE CRLF)

set(_bin ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
set(_entries
    Norvanex.exe=$<TARGET_FILE:Norvanex>
    Norvanex.hlp=${_bin}/Norvanex.hlp
    Norvanex.html=${_bin}/Norvanex.html
    Norvanex_de.html=${_bin}/Norvanex_de.html
    README.txt=${_release_texts}/README.txt
    LICENSE.txt=${_release_texts}/LICENSE.txt)
add_custom_command(
  OUTPUT ${NORVANEX_ZIP} ${NORVANEX_SUMS}
  COMMAND ${NORVANEX_PYTHON} ${CMAKE_SOURCE_DIR}/tools/release.py zip ${NORVANEX_ZIP} ${NORVANEX_SUMS} ${_entries}
  DEPENDS Norvanex norvanex_help $<TARGET_FILE:Norvanex> ${_bin}/Norvanex.hlp ${_bin}/Norvanex.html
          ${_bin}/Norvanex_de.html ${_release_texts}/README.txt ${_release_texts}/LICENSE.txt
          ${CMAKE_SOURCE_DIR}/tools/release.py
  COMMENT "Packing ${NORVANEX_ZIP_NAME}"
  VERBATIM)
# Part of every build, so that the Wine tests find the zip they install.
add_custom_target(package ALL DEPENDS ${NORVANEX_ZIP} ${NORVANEX_SUMS})

# No folder of the build machine in any shipped file: neither this build folder nor the sources.
add_test(NAME release.no_build_folders
         COMMAND ${NORVANEX_PYTHON} ${CMAKE_SOURCE_DIR}/tools/release.py scan ${NORVANEX_ZIP}
                 ${CMAKE_BINARY_DIR} ${CMAKE_SOURCE_DIR})
