# The libraries of the Windows program, as scripts/windows-deps builds them
# into its cache (HESTAVO_WINDOWS_PREFIX): SQLite, zlib and libzip, static,
# under the same target names the Linux build uses.
set(prefix $ENV{HESTAVO_WINDOWS_PREFIX})
if(NOT prefix)
  message(FATAL_ERROR "HESTAVO_WINDOWS_PREFIX names the folder of scripts/windows-deps")
endif()

add_library(SQLite::SQLite3 STATIC IMPORTED)
set_target_properties(SQLite::SQLite3 PROPERTIES
  IMPORTED_LOCATION ${prefix}/lib/libsqlite3.a
  INTERFACE_INCLUDE_DIRECTORIES ${prefix}/include)

add_library(ZLIB::ZLIB STATIC IMPORTED)
set_target_properties(ZLIB::ZLIB PROPERTIES
  IMPORTED_LOCATION ${prefix}/lib/libz.a
  INTERFACE_INCLUDE_DIRECTORIES ${prefix}/include)

# libzip built with Windows' own cryptography (bcrypt) and zlib.
add_library(PkgConfig::LIBZIP STATIC IMPORTED)
set_target_properties(PkgConfig::LIBZIP PROPERTIES
  IMPORTED_LOCATION ${prefix}/lib/libzip.a
  INTERFACE_INCLUDE_DIRECTORIES ${prefix}/include
  INTERFACE_COMPILE_DEFINITIONS ZIP_STATIC
  INTERFACE_LINK_LIBRARIES "ZLIB::ZLIB;bcrypt;advapi32")

# The tools' shell tests run on Linux.
set(BUILD_TESTING OFF)
