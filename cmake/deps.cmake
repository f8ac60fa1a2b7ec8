# Third-party libraries, as the same targets for the native (Linux) build and
# the Windows cross build, so program code links them uniformly:
#
#   vlnt::pugixml vlnt::sodium vlnt::curl vlnt::zip vlnt::json vlnt::gsl vlnt::fmt
#   vlnt::gtest_main vlnt::gmock           (when VLNT_TEST_DEPS is ON)
#   vlnt::benchmark                        (native build only, same switch)
#
# Include it from the top-level CMakeLists.txt after project():
#   include(cmake/deps.cmake)
#
# Native: Debian's -dev packages (find_package; pkg-config for libsodium, libzip).
# Windows: static libraries cross-built by scripts/build-windows-deps.sh into
# the prefix given as VLNT_WIN_DEPS (see cmake/toolchain-mingw64.cmake);
# GoogleTest/GoogleMock are built from Debian's sources in /usr/src/googletest.
include_guard(GLOBAL)

option(VLNT_TEST_DEPS "Provide the GoogleTest/GoogleMock (and native Google Benchmark) targets" ON)

# vlnt::<name> as a global INTERFACE target forwarding to <targets...>.
function(_vlnt_forward name)
  add_library(vlnt_dep_${name} INTERFACE)
  target_link_libraries(vlnt_dep_${name} INTERFACE ${ARGN})
  add_library(vlnt::${name} ALIAS vlnt_dep_${name})
endfunction()

if(WIN32)
  if(NOT CMAKE_CROSSCOMPILING OR NOT MINGW)
    message(FATAL_ERROR "deps.cmake: Windows is supported only as a mingw-w64 cross build "
                        "(-DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake)")
  endif()
  if(NOT VLNT_WIN_DEPS)
    message(FATAL_ERROR
      "deps.cmake: VLNT_WIN_DEPS is not set. Build the Windows dependencies with\n"
      "  prefix=$(scripts/build-windows-deps.sh | tail -n1)\n"
      "and configure with -DVLNT_WIN_DEPS=\"$prefix\" (or export VLNT_WIN_DEPS).")
  endif()
  get_filename_component(_vlnt_deps "${VLNT_WIN_DEPS}" ABSOLUTE)
  set(_vlnt_inc "${_vlnt_deps}/include")
  set(_vlnt_missing "")
  foreach(_f lib/libpugixml.a lib/libsodium.a lib/libcurl.a lib/libzip.a
             include/pugixml.hpp include/sodium.h include/curl/curl.h include/zip.h
             include/zipconf.h include/nlohmann/json.hpp include/gsl/gsl include/fmt/format.h)
    if(NOT EXISTS "${_vlnt_deps}/${_f}")
      list(APPEND _vlnt_missing "${_f}")
    endif()
  endforeach()
  if(_vlnt_missing)
    list(JOIN _vlnt_missing "\n  " _vlnt_missing)
    message(FATAL_ERROR
      "deps.cmake: VLNT_WIN_DEPS=${VLNT_WIN_DEPS} is not a complete dependency prefix; missing:\n"
      "  ${_vlnt_missing}\n"
      "Rebuild it with scripts/build-windows-deps.sh.")
  endif()

  # zlib from the mingw sysroot (libz-mingw-w64-dev): the static archive, never
  # the import library of zlib1.dll.
  find_library(VLNT_WIN_ZLIB NAMES libz.a)
  if(NOT VLNT_WIN_ZLIB)
    message(FATAL_ERROR "deps.cmake: libz.a for mingw not found (install libz-mingw-w64-dev)")
  endif()
  add_library(vlnt_dep_zlib STATIC IMPORTED GLOBAL)
  set_target_properties(vlnt_dep_zlib PROPERTIES IMPORTED_LOCATION "${VLNT_WIN_ZLIB}")

  function(_vlnt_win_static name file)
    cmake_parse_arguments(PARSE_ARGV 2 arg "" "LANG" "DEFINES;LIBS")
    if(NOT arg_LANG)
      set(arg_LANG C)
    endif()
    add_library(vlnt::${name} STATIC IMPORTED GLOBAL)
    set_target_properties(vlnt::${name} PROPERTIES
      IMPORTED_LOCATION "${_vlnt_deps}/lib/${file}"
      IMPORTED_LINK_INTERFACE_LANGUAGES ${arg_LANG}
      INTERFACE_INCLUDE_DIRECTORIES "${_vlnt_inc}"
      INTERFACE_COMPILE_DEFINITIONS "${arg_DEFINES}"
      INTERFACE_LINK_LIBRARIES "${arg_LIBS}")
  endfunction()
  function(_vlnt_win_headers name)
    add_library(vlnt::${name} INTERFACE IMPORTED GLOBAL)
    set_target_properties(vlnt::${name} PROPERTIES
      INTERFACE_INCLUDE_DIRECTORIES "${_vlnt_inc}"
      INTERFACE_COMPILE_DEFINITIONS "${ARGN}")
  endfunction()

  _vlnt_win_static(pugixml libpugixml.a LANG CXX)
  # libsodium: randombytes uses RtlGenRandom (advapi32).
  _vlnt_win_static(sodium libsodium.a DEFINES SODIUM_STATIC LIBS advapi32)
  # libcurl with Schannel/SSPI (secur32.dll is loaded at run time by curl itself).
  _vlnt_win_static(curl libcurl.a DEFINES CURL_STATICLIB
                   LIBS vlnt_dep_zlib ws2_32 crypt32 bcrypt advapi32)
  # libzip: ZIP_STATIC is already defined by the installed zipconf.h.
  _vlnt_win_static(zip libzip.a LIBS vlnt_dep_zlib bcrypt advapi32)
  _vlnt_win_headers(json)
  _vlnt_win_headers(gsl)
  _vlnt_win_headers(fmt FMT_HEADER_ONLY=1)

  if(VLNT_TEST_DEPS)
    function(_vlnt_add_googletest)
      # googletest/CMakeLists.txt predates CMP0077; without this its option()
      # calls would discard the settings below.
      set(CMAKE_POLICY_DEFAULT_CMP0077 NEW)
      set(INSTALL_GTEST OFF)
      set(BUILD_GMOCK ON)
      set(BUILD_SHARED_LIBS OFF)
      # Only affects MSVC (/MD vs /MT); kept consistent with the static build.
      set(gtest_force_shared_crt OFF)
      # gtest uses Win32 threading on Windows; keep winpthread out of it.
      set(gtest_disable_pthreads ON)
      add_subdirectory(/usr/src/googletest "${CMAKE_BINARY_DIR}/_deps/googletest" EXCLUDE_FROM_ALL)
    endfunction()
    if(NOT EXISTS /usr/src/googletest/CMakeLists.txt)
      message(FATAL_ERROR "deps.cmake: /usr/src/googletest missing (install googletest)")
    endif()
    _vlnt_add_googletest()
    add_library(vlnt::gtest_main ALIAS gtest_main)
    add_library(vlnt::gmock ALIAS gmock)
  endif()

elseif(CMAKE_CROSSCOMPILING)
  message(FATAL_ERROR "deps.cmake: cross-compiling is supported for Windows (mingw-w64) only")

else()
  find_package(PkgConfig REQUIRED)
  find_package(pugixml CONFIG REQUIRED)
  pkg_check_modules(VLNT_SODIUM REQUIRED IMPORTED_TARGET GLOBAL libsodium)
  find_package(CURL REQUIRED)
  # Not find_package(libzip): Debian's libzip config also imports the zipcmp/
  # zipmerge/ziptool programs and fails unless libzip-tools is installed.
  pkg_check_modules(VLNT_LIBZIP REQUIRED IMPORTED_TARGET GLOBAL libzip)
  find_package(nlohmann_json 3 CONFIG REQUIRED)
  find_package(Microsoft.GSL CONFIG REQUIRED)
  find_package(fmt CONFIG REQUIRED)

  _vlnt_forward(pugixml pugixml::pugixml)
  _vlnt_forward(sodium PkgConfig::VLNT_SODIUM)
  _vlnt_forward(curl CURL::libcurl)
  _vlnt_forward(zip PkgConfig::VLNT_LIBZIP)
  _vlnt_forward(json nlohmann_json::nlohmann_json)
  _vlnt_forward(gsl Microsoft.GSL::GSL)
  _vlnt_forward(fmt fmt::fmt)

  if(VLNT_TEST_DEPS)
    find_package(GTest REQUIRED)
    find_package(benchmark CONFIG REQUIRED)
    _vlnt_forward(gtest_main GTest::gtest_main)
    _vlnt_forward(gmock GTest::gmock)
    _vlnt_forward(benchmark benchmark::benchmark)
  endif()
endif()
