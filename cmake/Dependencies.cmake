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
