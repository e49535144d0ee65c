# Cross build: Norvanex.exe, a 32-bit GUI program that imports only DLLs Windows ships.
enable_language(RC)

set(NORVANEX_WIN_FLAGS -Wall -Wextra -Wpedantic -Wshadow
    -finput-charset=UTF-8 -fexec-charset=CP1252)
target_compile_options(norvanex_logic PRIVATE ${NORVANEX_WIN_FLAGS})
target_compile_definitions(norvanex_logic PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0600 WINVER=0x0600)

# Everything executables put in one folder, so programs and tests find each other beside themselves.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

# Static C and C++ runtimes: no libgcc_s, libstdc++ or libwinpthread DLL beside the program.
set(NORVANEX_STATIC_LINK -static -static-libgcc -static-libstdc++ -Wl,--gc-sections)
add_compile_options(-ffunction-sections -fdata-sections)
target_compile_options(norvanex_logic PRIVATE -ffunction-sections -fdata-sections)
if(NOT CMAKE_BUILD_TYPE)
  set(CMAKE_BUILD_TYPE MinSizeRel CACHE STRING "Build type" FORCE)
endif()

set(NORVANEX_WIN_SOURCES ${NORVANEX_BASE_WIN} ${NORVANEX_APP_WIN} ${NORVANEX_PROCESS_WIN} ${NORVANEX_UI_WIN})
list(TRANSFORM NORVANEX_WIN_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/)
add_library(norvanex_win STATIC ${NORVANEX_WIN_SOURCES})
target_compile_options(norvanex_win PRIVATE ${NORVANEX_WIN_FLAGS})
# Before a kill run has ended what it names it needs kernel32 alone: every other DLL is bound at the
# first call of one of its functions, not when the process starts, so the loader maps and starts
# nothing else first (under Wine, user32 alone brings imm32 and a desktop connection with it).
include(${CMAKE_SOURCE_DIR}/cmake/delay-import.cmake)
# comctl32 is not among them: base/CommonControls_win.cpp finds each of its functions at run time.
set(NORVANEX_DELAY_LOADED shell32 ole32 comdlg32 version advapi32 user32 gdi32)
set(NORVANEX_SYSTEM_LIBS)
foreach(_dll ${NORVANEX_DELAY_LOADED})
  norvanex_delay_import(${_dll} _delay_lib)
  list(APPEND NORVANEX_SYSTEM_LIBS ${_delay_lib})
endforeach()
target_link_libraries(norvanex_win PUBLIC norvanex_logic ${NORVANEX_SYSTEM_LIBS} uuid kernel32)

# The version resource takes its numbers from the project version, the one place it is set; every
# target that links Norvanex.rc (the program, some tests and benchmarks) finds the header here.
configure_file(${CMAKE_SOURCE_DIR}/resources/NorvanexVersion.h.in ${CMAKE_BINARY_DIR}/generated/NorvanexVersion.h @ONLY)
include_directories(${CMAKE_BINARY_DIR}/generated)

# Reproducible: two builds of one commit in two folders give the same bytes. No folder of the build
# machine goes into an object (__FILE__, debug info), and the linker writes no time stamp into the
# PE header (windres and helpc write none of their own).
add_compile_options($<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=>
                    $<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_BINARY_DIR}/=>)
list(APPEND NORVANEX_STATIC_LINK -Wl,--no-insert-timestamp)

# windres reads the icon, glyphs and manifest itself; CMake's scanner sees only #include.
file(GLOB NORVANEX_RC_INPUTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/Norvanex.ico
     ${CMAKE_SOURCE_DIR}/resources/Norvanex.manifest ${CMAKE_SOURCE_DIR}/resources/glyphs/*.bmp ${CMAKE_SOURCE_DIR}/resources/logo.bmp)
list(APPEND NORVANEX_RC_INPUTS ${CMAKE_BINARY_DIR}/generated/NorvanexVersion.h)
set_source_files_properties(${CMAKE_SOURCE_DIR}/resources/Norvanex.rc PROPERTIES OBJECT_DEPENDS "${NORVANEX_RC_INPUTS}")

# The runtime's CreateSemaphoreW is answered in the executable's own objects, which the linker reads
# before the libraries (base/RuntimeSemaphore_win.cpp).
add_executable(Norvanex WIN32 ${CMAKE_SOURCE_DIR}/app/main_win.cpp ${CMAKE_SOURCE_DIR}/base/RuntimeSemaphore_win.cpp
               ${CMAKE_SOURCE_DIR}/resources/Norvanex.rc ${CMAKE_SOURCE_DIR}/cmake/delay-import-end.c)
target_compile_options(Norvanex PRIVATE ${NORVANEX_WIN_FLAGS})
target_link_libraries(Norvanex PRIVATE norvanex_win)
target_link_options(Norvanex PRIVATE ${NORVANEX_STATIC_LINK})
# The entry point restricts the DLL search before the C runtime starts (app/main_win.cpp).
target_link_options(Norvanex PRIVATE -Wl,-e,_NorvanexStartup)
# The delay-import directory: ld leaves it empty, the link map says where the table lies.
set(_norvanex_map ${CMAKE_BINARY_DIR}/Norvanex.map)
target_link_options(Norvanex PRIVATE -Wl,-u,_norvanex_delay_import_end -Wl,-Map=${_norvanex_map})
find_program(NORVANEX_PYTHON NAMES python3 HINTS /usr/bin REQUIRED)
add_custom_command(TARGET Norvanex POST_BUILD
  COMMAND ${NORVANEX_PYTHON} ${CMAKE_SOURCE_DIR}/tools/delay_directory.py ${_norvanex_map} $<TARGET_FILE:Norvanex>
  VERBATIM)
set_target_properties(Norvanex PROPERTIES OUTPUT_NAME Norvanex)
if(CMAKE_BUILD_TYPE STREQUAL "MinSizeRel" OR CMAKE_BUILD_TYPE STREQUAL "Release")
  target_link_options(Norvanex PRIVATE -s)
endif()

add_subdirectory(tools/bench)
include(cmake/help.cmake)
include(cmake/package.cmake)
