# CLI11 (Debian's libcli11-dev, header-only) for the cross build.
include(${CMAKE_CURRENT_LIST_DIR}/host_headers.cmake)
kv_host_header_target(CLI11::CLI11 CLI)
set(CLI11_FOUND TRUE)
