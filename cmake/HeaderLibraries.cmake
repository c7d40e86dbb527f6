# Header-only libraries from Debian's packages in /usr/include:
#   brivolex_cli11  CLI11 (libcli11-dev): brivolex-cli's commands, options and --help
#   brivolex_json   nlohmann/json (nlohmann-json3-dev): brivolex-cli's JSON output
# The native compiler searches /usr/include anyway. The mingw compiler must not (the
# host's C library headers there would shadow mingw's own), so the Windows build gets
# a copy of just these libraries' header folders in the build folder.
function(brivolex_header_library target folder package)
  if(NOT EXISTS /usr/include/${folder})
    message(FATAL_ERROR "/usr/include/${folder} is missing: install ${package} (scripts/install-deps)")
  endif()
  add_library(${target} INTERFACE)
  if(WIN32)
    file(COPY /usr/include/${folder} DESTINATION ${CMAKE_BINARY_DIR}/host-headers)
    target_include_directories(${target} SYSTEM INTERFACE ${CMAKE_BINARY_DIR}/host-headers)
  endif()
endfunction()

brivolex_header_library(brivolex_cli11 CLI libcli11-dev)
brivolex_header_library(brivolex_json nlohmann nlohmann-json3-dev)
