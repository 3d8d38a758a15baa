# Cross-built for Windows: GoogleTest (GTest::gtest) from Debian's source package, and every
# Windows program of the build run under wine (tests, test discovery) through
# a wrapper that puts the MinGW runtime, Qt's and HDF5's DLLs on wine's path.
# <windows.h> without its min and max macros.
add_compile_definitions(NOMINMAX)

# KissFFT and Boost.Math are header-only: Debian's headers serve, without the rest of /usr/include.
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/host-headers)
file(CREATE_LINK /usr/include/kissfft ${CMAKE_BINARY_DIR}/host-headers/kissfft SYMBOLIC)
file(CREATE_LINK /usr/include/boost ${CMAKE_BINARY_DIR}/host-headers/boost SYMBOLIC)
include_directories(SYSTEM ${CMAKE_BINARY_DIR}/host-headers)

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
target_compile_options(gtest PRIVATE -w)
target_compile_options(gtest_main PRIVATE -w)

set(velqoris_dll_dirs "")
foreach(dll libstdc++-6.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
  get_filename_component(dir "${found}" DIRECTORY)
  list(APPEND velqoris_dll_dirs "${dir}")
endforeach()
foreach(prefix ${VELQORIS_WINDOWS_QT} ${VELQORIS_WINDOWS_HDF5})
  list(APPEND velqoris_dll_dirs "${prefix}/bin")
endforeach()
set(velqoris_winepath "")
foreach(dir ${velqoris_dll_dirs})
  string(REPLACE "/" "\\\\" dir "${dir}")
  string(APPEND velqoris_winepath "Z:${dir}\;")
endforeach()
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.in ${CMAKE_BINARY_DIR}/wine-run @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)

# Each program's Windows resource: icon, version information and manifest
# (packaging/windows). The version is the project's.
function(velqoris_windows_resource target description)
  set(program ${target})
  set(major ${PROJECT_VERSION_MAJOR})
  set(minor ${PROJECT_VERSION_MINOR})
  set(version ${PROJECT_VERSION})
  set(icon ${PROJECT_SOURCE_DIR}/packaging/windows/velqoris.ico)
  set(manifest ${CMAKE_BINARY_DIR}/resources/${target}.manifest)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/velqoris.manifest ${manifest} @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/velqoris.rc.in
                 ${CMAKE_BINARY_DIR}/resources/${target}.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_BINARY_DIR}/resources/${target}.rc)
  set_property(SOURCE ${CMAKE_BINARY_DIR}/resources/${target}.rc APPEND PROPERTY
               OBJECT_DEPENDS ${icon} ${manifest})
endfunction()
