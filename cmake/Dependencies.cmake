# Debian's packages only; scripts/setup-debian.sh installs them.
find_package(Threads REQUIRED)
find_package(CLI11 REQUIRED)
find_package(nlohmann_json 3.10 REQUIRED)

# Intel's decimal library ships only static archives and no config. Link the
# bidgcc000 variant exactly: others link too but ignore the rounding mode.
find_path(BID_INCLUDE_DIR bid_functions.h REQUIRED)
find_library(BID_LIBRARY NAMES libbidgcc000.a bidgcc000 REQUIRED)
add_library(intel_bid STATIC IMPORTED GLOBAL)
set_target_properties(intel_bid PROPERTIES
  IMPORTED_LOCATION ${BID_LIBRARY}
  INTERFACE_INCLUDE_DIRECTORIES ${BID_INCLUDE_DIR}
  INTERFACE_COMPILE_DEFINITIONS
    "DECIMAL_CALL_BY_REFERENCE=0;DECIMAL_GLOBAL_ROUNDING=0;DECIMAL_GLOBAL_EXCEPTION_FLAGS=0")

if(ZR_BUILD_TESTS)
  find_package(GTest REQUIRED)
endif()
if(ZR_BUILD_BENCH)
  find_package(benchmark REQUIRED)
endif()

# SOCI 4.0 ships no CMake config or pkg-config file.
find_path(SOCI_INCLUDE_DIR soci/soci.h REQUIRED)
find_library(SOCI_CORE_LIBRARY soci_core REQUIRED)
find_library(SOCI_SQLITE3_LIBRARY soci_sqlite3 REQUIRED)
find_library(SOCI_POSTGRESQL_LIBRARY soci_postgresql REQUIRED)
find_package(SQLite3 REQUIRED)
find_package(PostgreSQL REQUIRED)
add_library(soci INTERFACE IMPORTED GLOBAL)
set_target_properties(soci PROPERTIES
  INTERFACE_INCLUDE_DIRECTORIES "${SOCI_INCLUDE_DIR};${PostgreSQL_INCLUDE_DIRS}"
  INTERFACE_LINK_LIBRARIES
    "${SOCI_SQLITE3_LIBRARY};${SOCI_POSTGRESQL_LIBRARY};${SOCI_CORE_LIBRARY};SQLite::SQLite3;PostgreSQL::PostgreSQL")
