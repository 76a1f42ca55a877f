# nlohmann/json (Debian's nlohmann-json3-dev, header-only) for the cross build.
include(${CMAKE_CURRENT_LIST_DIR}/host_headers.cmake)
kv_host_header_target(nlohmann_json::nlohmann_json nlohmann)
set(nlohmann_json_FOUND TRUE)
