# nlohmann-json is header-only and architecture-neutral; expose just its folder
# from the host so the cross compiler does not see the rest of /usr/include.
set(KORVANE_HOST_HEADERS ${CMAKE_BINARY_DIR}/host-headers)
if(NOT EXISTS /usr/include/nlohmann/json.hpp)
  message(FATAL_ERROR "nlohmann-json3-dev is missing: run scripts/install-deps.sh")
endif()
file(MAKE_DIRECTORY ${KORVANE_HOST_HEADERS})
file(CREATE_LINK /usr/include/nlohmann ${KORVANE_HOST_HEADERS}/nlohmann SYMBOLIC)
add_library(nlohmann_json_host INTERFACE)
target_include_directories(nlohmann_json_host SYSTEM INTERFACE ${KORVANE_HOST_HEADERS})
