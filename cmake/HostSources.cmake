# Sources meant for one host say so in their name: Name_win.cpp is built only for
# Windows, Name_posix.cpp only natively; every other file in both builds. A file
# carries no #ifdef _WIN32 around its whole text.
function(brivolex_host_sources out)
  file(GLOB sources CONFIGURE_DEPENDS ${ARGN})
  if(WIN32)
    list(FILTER sources EXCLUDE REGEX "_posix\\.cpp$")
  else()
    list(FILTER sources EXCLUDE REGEX "_win\\.cpp$")
  endif()
  set(${out} ${sources} PARENT_SCOPE)
endfunction()
