# The Windows build (cross-built with cmake/MinGW64Toolchain.cmake): no Qt, the
# Win32 platform layer, header-only libraries from Debian's own headers,
# programs that run under Wine here, and the zip a player unpacks.

# Tests and tools built here run under Wine, in a prefix of the build's own
# that is made once and reused.
find_program(VELT_WINE wine REQUIRED)
set(VELT_WINE_PREFIX "${CMAKE_BINARY_DIR}/wine-prefix" CACHE PATH "Wine prefix the Windows tests run in")
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/env "WINEPREFIX=${VELT_WINE_PREFIX}" WINEDEBUG=-all
    "WINEDLLOVERRIDES=mscoree,mshtml=" ${VELT_WINE})
# The same for a program that the build itself runs (add_custom_command):
# VELT_WINE_TOOL PROGRAM ARGUMENT...
set(VELT_WINE_TOOL /usr/bin/env "WINEPREFIX=${VELT_WINE_PREFIX}" WINEDEBUG=-all "WINEDLLOVERRIDES=mscoree,mshtml="
    /bin/sh "${CMAKE_CURRENT_LIST_DIR}/windows/run-under-wine.sh")

# CLI11 and nlohmann/json are header-only: their Debian headers serve the
# cross compiler as they are, seen through a folder that holds nothing else
# (the host's include folder itself must stay out of a Windows build).
set(VELT_HOST_HEADERS "${CMAKE_BINARY_DIR}/host-headers")
file(MAKE_DIRECTORY "${VELT_HOST_HEADERS}")
foreach(header_folder CLI nlohmann)
  if(NOT EXISTS "/usr/include/${header_folder}")
    message(FATAL_ERROR "/usr/include/${header_folder} is missing: ./dev windows installs it")
  endif()
  file(CREATE_LINK "/usr/include/${header_folder}" "${VELT_HOST_HEADERS}/${header_folder}" SYMBOLIC)
endforeach()
set(CLI11_DIR "${CMAKE_CURRENT_LIST_DIR}/windows" CACHE PATH "" FORCE)
set(nlohmann_json_DIR "${CMAKE_CURRENT_LIST_DIR}/windows" CACHE PATH "" FORCE)

# GoogleTest from Debian's sources, built with the cross compiler.
set(VELT_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources for the Windows build")

# Programs that go into the zip: velt_package_program(target) adds one.
define_property(GLOBAL PROPERTY VELT_PACKAGED_PROGRAMS BRIEF_DOCS "Programs in the Windows zip"
                FULL_DOCS "Targets whose executables the Windows zip holds")
function(velt_package_program target)
  set_property(GLOBAL APPEND PROPERTY VELT_PACKAGED_PROGRAMS ${target})
endfunction()

# The zip: one folder holding the programs and a short read-me, made after
# every program is built.
function(velt_add_windows_package)
  get_property(programs GLOBAL PROPERTY VELT_PACKAGED_PROGRAMS)
  set(folder_name "velt-organizer-${PROJECT_VERSION}-windows-x64")
  set(stage "${CMAKE_BINARY_DIR}/package")
  set(zip "${CMAKE_BINARY_DIR}/${folder_name}.zip")
  configure_file("${PROJECT_SOURCE_DIR}/cmake/windows/README.txt" "${stage}/README.txt" NEWLINE_STYLE CRLF)
  set(files)
  foreach(program IN LISTS programs)
    list(APPEND files "$<TARGET_FILE:${program}>")
  endforeach()
  add_custom_command(
    OUTPUT "${zip}"
    COMMAND ${CMAKE_COMMAND} -E rm -rf "${stage}/${folder_name}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${stage}/${folder_name}"
    COMMAND ${CMAKE_COMMAND} -E copy ${files} "${stage}/README.txt" "${stage}/${folder_name}"
    COMMAND ${CMAKE_COMMAND} -E rm -f "${zip}"
    COMMAND ${CMAKE_COMMAND} -E tar cf "${zip}" --format=zip "${folder_name}"
    WORKING_DIRECTORY "${stage}"
    DEPENDS ${programs} "${stage}/README.txt"
    COMMENT "Packing ${folder_name}.zip"
    VERBATIM)
  add_custom_target(velt_windows_zip ALL DEPENDS "${zip}")
endfunction()
