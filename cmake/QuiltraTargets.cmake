# Conventions shared by every target of the tree.

# Plug-in code (engine/, texmap/, ui/) is written in the C++ that the hosts' compilers accept;
# it compiles as C++11 and scripts/check-dialect keeps it within that subset.
function(quiltra_plugin_dialect target)
  set_target_properties(${target} PROPERTIES CXX_STANDARD 11 CXX_EXTENSIONS OFF)
endfunction()

set(QUILTRA_HOST_INCLUDE ${CMAKE_SOURCE_DIR}/host/include)

if(QUILTRA_WINDOWS)
  # One folder holds every program, the host DLL and the toolchain's runtime DLLs, so
  # programs find their DLLs as Windows looks for them: beside the executable.
  set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin CACHE INTERNAL "")
  set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin CACHE INTERNAL "")
  set(QUILTRA_PLUGIN_DIR ${CMAKE_BINARY_DIR}/bin/plugins CACHE INTERNAL "")
  add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)

  # The GCC runtime unwinds with SEH on x64 and with DWARF tables on 32-bit x86.
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(_libgcc libgcc_s_seh-1.dll)
  else()
    set(_libgcc libgcc_s_dw2-1.dll)
  endif()
  set(_runtime_dlls libstdc++-6.dll ${_libgcc} libwinpthread-1.dll)
  foreach(dll IN LISTS _runtime_dlls)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                    OUTPUT_VARIABLE _path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT EXISTS "${_path}")
      message(FATAL_ERROR "mingw-w64 runtime ${dll} not found (asked ${CMAKE_CXX_COMPILER})")
    endif()
    file(COPY ${_path} DESTINATION ${CMAKE_BINARY_DIR}/bin)
  endforeach()
endif()
