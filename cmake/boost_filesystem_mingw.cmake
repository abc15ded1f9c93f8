# Boost.Filesystem is not packaged for MinGW-w64. Build it once from Debian's own
# source package (fetched by scripts/setup) against the Boost headers of the same
# version, and keep the result in a per-user cache keyed by that version. The
# version is read from the headers Debian installed, never fixed here.
file(STRINGS /usr/include/boost/version.hpp boost_version_line REGEX "^#define BOOST_VERSION [0-9]+")
if(NOT boost_version_line MATCHES "([0-9]+)$")
  message(FATAL_ERROR "No Boost headers in /usr/include; run scripts/setup --all.")
endif()
math(EXPR boost_major "${CMAKE_MATCH_1} / 100000")
math(EXPR boost_minor "${CMAKE_MATCH_1} / 100 % 1000")
math(EXPR boost_patch "${CMAKE_MATCH_1} % 100")
set(BRULO_BOOST_VERSION ${boost_major}.${boost_minor}.${boost_patch})
set(BRULO_BOOST_PACKAGE boost${boost_major}.${boost_minor})

if(DEFINED ENV{BRULO_CACHE})
  set(brulo_cache "$ENV{BRULO_CACHE}")
else()
  set(brulo_cache "$ENV{HOME}/.cache/brulo")
endif()

set(boost_root "${brulo_cache}/boost-${BRULO_BOOST_VERSION}-mingw-w64")
set(boost_lib "${boost_root}/lib/libboost_filesystem.a")
set(boost_include "${boost_root}/include")

if(NOT EXISTS "${boost_lib}")
  file(GLOB boost_tarball "${brulo_cache}/deb-src/${BRULO_BOOST_PACKAGE}_${BRULO_BOOST_VERSION}*.orig.tar.*")
  if(NOT boost_tarball)
    message(FATAL_ERROR "The ${BRULO_BOOST_PACKAGE} source package is missing from ${brulo_cache}/deb-src; run scripts/setup --all.")
  endif()
  list(GET boost_tarball 0 boost_tarball)
  message(STATUS "Building Boost.Filesystem ${BRULO_BOOST_VERSION} for MinGW-w64 from ${boost_tarball}")

  set(work "${boost_root}.partial")
  file(REMOVE_RECURSE "${work}")
  file(MAKE_DIRECTORY "${work}/extract" "${work}/obj" "${work}/lib" "${work}/include")
  execute_process(
    COMMAND tar -xf "${boost_tarball}" -C "${work}/extract" --wildcards --no-anchored "libs/filesystem/src/*"
    RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "Could not extract the Boost.Filesystem sources from ${boost_tarball}")
  endif()
  # Only the Boost headers, not the rest of the host's /usr/include.
  file(CREATE_LINK /usr/include/boost "${work}/include/boost" SYMBOLIC)

  file(GLOB_RECURSE boost_sources "${work}/extract/*/libs/filesystem/src/*.cpp")
  set(boost_objects)
  foreach(src IN LISTS boost_sources)
    get_filename_component(name "${src}" NAME_WE)
    set(obj "${work}/obj/${name}.o")
    execute_process(
      COMMAND "${CMAKE_CXX_COMPILER}" -std=c++17 -O2 -DNDEBUG
              -DBOOST_FILESYSTEM_STATIC_LINK=1 -DBOOST_ALL_NO_LIB=1 -DBOOST_FILESYSTEM_SOURCE
              -isystem "${work}/include" -c "${src}" -o "${obj}"
      RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "Could not compile ${src}")
    endif()
    list(APPEND boost_objects "${obj}")
  endforeach()
  execute_process(COMMAND "${CMAKE_AR}" rcs "${work}/lib/libboost_filesystem.a" ${boost_objects}
                  RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "Could not archive Boost.Filesystem")
  endif()
  file(REMOVE_RECURSE "${work}/extract" "${work}/obj")
  file(REMOVE_RECURSE "${boost_root}")
  file(RENAME "${work}" "${boost_root}")
endif()

add_library(brulo_boost_filesystem STATIC IMPORTED)
set_target_properties(brulo_boost_filesystem PROPERTIES
  IMPORTED_LOCATION "${boost_lib}"
  INTERFACE_INCLUDE_DIRECTORIES "${boost_include}"
  INTERFACE_COMPILE_DEFINITIONS "BOOST_FILESYSTEM_STATIC_LINK=1;BOOST_ALL_NO_LIB=1"
  INTERFACE_LINK_LIBRARIES "bcrypt;advapi32")
add_library(Boost::filesystem ALIAS brulo_boost_filesystem)
