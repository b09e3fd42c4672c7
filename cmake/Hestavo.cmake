# Helpers that turn each directory into one library and each tests/ folder into
# one test program, so that adding a source file needs no CMake edit.

# hestavo_library(<target> <dir> [QT] [DEPS <targets...>] [EXCLUDE <subdirs...>])
# Every .cpp/.h under <dir> (minus EXCLUDE subfolders) becomes one static library.
# Include paths are relative to the project root: #include "engine/Database.h".
function(hestavo_library target dir)
  cmake_parse_arguments(A "QT" "" "DEPS;EXCLUDE" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS
       ${CMAKE_SOURCE_DIR}/${dir}/*.cpp ${CMAKE_SOURCE_DIR}/${dir}/*.h ${CMAKE_SOURCE_DIR}/${dir}/*.qrc)
  foreach(ex IN LISTS A_EXCLUDE)
    list(FILTER srcs EXCLUDE REGEX "^${CMAKE_SOURCE_DIR}/${dir}/${ex}/")
  endforeach()
  set(has_cpp ${srcs})
  list(FILTER has_cpp INCLUDE REGEX "\\.cpp$")
  if(NOT has_cpp)
    return()
  endif()
  add_library(${target} STATIC ${srcs})
  target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR})
  if(A_QT)
    set_target_properties(${target} PROPERTIES AUTOMOC ON AUTORCC ON AUTOUIC OFF)
    hestavo_precompile(${target} QT)
  endif()
  # A project library that is not built yet (its directory still empty) is left out.
  foreach(dep IN LISTS A_DEPS)
    if(TARGET ${dep} OR NOT dep MATCHES "^hestavo_")
      target_link_libraries(${target} PUBLIC ${dep})
    endif()
  endforeach()
endfunction()

# hestavo_tests(<name> [DEPS <targets...>])
# Every .cpp in the calling tests/ folder becomes one GoogleTest program
# "test_<name>", registered with CTest case by case. A folder with its own
# TestMain.cpp keeps that main instead of GoogleTest's.
function(hestavo_tests name)
  cmake_parse_arguments(A "" "" "DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT srcs)
    return()
  endif()
  foreach(dep IN LISTS A_DEPS)
    if(NOT TARGET ${dep})
      message(STATUS "tests ${name}: ${dep} not built yet, skipped")
      return()
    endif()
  endforeach()
  add_executable(test_${name} ${srcs})
  set_target_properties(test_${name} PROPERTIES AUTOMOC ON)
  target_link_libraries(test_${name} PRIVATE ${A_DEPS} GTest::gtest GTest::gmock)
  if(NOT EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/TestMain.cpp)
    target_link_libraries(test_${name} PRIVATE GTest::gtest_main)
  endif()
  # Test programs of Qt libraries precompile Qt and GoogleTest; the engine's
  # (standard C++ only) compile without, as the engine does.
  foreach(dep IN LISTS A_DEPS)
    if(dep MATCHES "^Qt6::" OR (TARGET ${dep} AND dep MATCHES "^hestavo_" AND NOT dep STREQUAL "hestavo_engine"))
      hestavo_precompile(test_${name} QT GTEST)
      break()
    endif()
  endforeach()
  target_compile_definitions(test_${name} PRIVATE
    HESTAVO_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    HESTAVO_TEST_DATA="${CMAKE_CURRENT_SOURCE_DIR}/data"
    HESTAVO_PYTHON="${HESTAVO_PYTHON}")
  gtest_discover_tests(test_${name}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# hestavo_suite_target(<name> EXCLUDE <folders...>)
# A target that builds every target of the project except those defined under
# the EXCLUDE folders (relative to the project root): scripts/build makes this
# one, so the test command does not wait for the benchmarks and screenshot
# programs of bench/; a plain `cmake --build` still builds them all.
function(hestavo_suite_target name)
  cmake_parse_arguments(A "" "" "EXCLUDE" ${ARGN})
  set(excluded)
  foreach(dir IN LISTS A_EXCLUDE)
    list(APPEND excluded ${CMAKE_SOURCE_DIR}/${dir})
  endforeach()
  set(targets)
  set(queue ${CMAKE_SOURCE_DIR})
  while(queue)
    list(POP_FRONT queue dir)
    if(dir IN_LIST excluded)
      continue()
    endif()
    get_property(here DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(t IN LISTS here)
      get_target_property(skip ${t} EXCLUDE_FROM_ALL)
      if(NOT skip)
        list(APPEND targets ${t})
      endif()
    endforeach()
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    list(APPEND queue ${subdirs})
  endwhile()
  add_custom_target(${name})
  if(targets)
    add_dependencies(${name} ${targets})
  endif()
endfunction()

# Precompiled headers: the standard library and Qt headers that nearly every
# source file of a Qt library or a test program includes, compiled once per
# target (the engine's small standard-only files gain nothing from them, and
# GCC 12 then reports false array-bounds warnings inside std::string). Native builds
# only (the Windows cross build compiles without them); HESTAVO_PCH=OFF turns
# them off.
option(HESTAVO_PCH "Precompile the standard library and Qt headers" ON)
function(hestavo_precompile target)
  if(NOT HESTAVO_PCH OR CMAKE_CROSSCOMPILING OR HESTAVO_FUZZ)
    return()
  endif()
  cmake_parse_arguments(A "QT;GTEST" "" "" ${ARGN})
  set(headers <algorithm> <cstdint> <functional> <map> <memory> <optional> <string> <string_view> <vector>)
  if(A_QT)
    list(APPEND headers <QDate> <QDir> <QFile> <QFileInfo> <QList> <QString> <QStringList>)
  endif()
  if(A_GTEST)
    list(APPEND headers <gtest/gtest.h>)
  endif()
  target_precompile_headers(${target} PRIVATE ${headers})
endfunction()
