# CLI11 for the Windows build: Debian's headers, header-only (see VeltWindows.cmake).
if(NOT TARGET CLI11::CLI11)
  add_library(CLI11::CLI11 INTERFACE IMPORTED)
  set_target_properties(CLI11::CLI11 PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "${VELT_HOST_HEADERS}")
endif()
set(CLI11_FOUND TRUE)
