# The Windows cross build (toolchain cmake/mingw-w64-x86_64.cmake): the table
# layer (engine/storage with engine/Value, no Qt, no SQLite) and its tests as
# Windows executables, run by CTest under Wine. GoogleTest is built from
# Debian's googletest sources for the same target.
set(HESTAVO_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources, built for the Windows target")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${HESTAVO_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

file(GLOB storage_srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/engine/storage/*.cpp)
add_library(hestavo_storage STATIC ${storage_srcs} ${CMAKE_SOURCE_DIR}/engine/Value.cpp)
target_include_directories(hestavo_storage PUBLIC ${CMAKE_SOURCE_DIR})

# The table-file tests (Dbf*) and their harness; the SQL tests need SQLite.
set(HESTAVO_PYTHON /usr/bin/python3 CACHE FILEPATH "Python with Debian's dbfread, the tests' independent reader, started through Wine")
set(test_dir ${CMAKE_SOURCE_DIR}/tests/engine)
file(GLOB test_srcs CONFIGURE_DEPENDS ${test_dir}/Dbf*.cpp)
# The killed-append test appends through an INSERT ... SELECT statement, and
# the binary-numbers test reads its tables through SQL: both need the SQL engine.
list(FILTER test_srcs EXCLUDE REGEX "(DbfAppendCrashTest|DbfBinaryNumbersTest)\\.cpp$")
add_executable(test_storage ${test_srcs} ${test_dir}/ChildProcess.cpp ${test_dir}/TestMain.cpp)
target_link_libraries(test_storage PRIVATE hestavo_storage gtest)
# The C++ runtime linked in: the test runs under Wine with no DLL beside it.
target_link_options(test_storage PRIVATE -static)
target_compile_definitions(test_storage PRIVATE
  HESTAVO_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
  HESTAVO_TEST_DATA="${test_dir}/data"
  HESTAVO_PYTHON="${HESTAVO_PYTHON}")

# Wine keeps its Windows folder (the prefix) in the build folder, so a test
# run touches nothing of the user's.
set(HESTAVO_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine-prefix)
set_target_properties(test_storage PROPERTIES CROSSCOMPILING_EMULATOR
  "${CMAKE_COMMAND};-E;env;WINEPREFIX=${HESTAVO_WINE_PREFIX};WINEDEBUG=-all;WINEDLLOVERRIDES=mscoree,mshtml=;${HESTAVO_WINE}")

enable_testing()
include(GoogleTest)
gtest_discover_tests(test_storage DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 300 TEST_PREFIX "windows.")
