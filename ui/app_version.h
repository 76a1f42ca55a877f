// The configurator's version lives in one place, the project's version in
// the top-level CMakeLists.txt, which the build passes in as KV_APP_VERSION.
#pragma once

#ifndef KV_APP_VERSION
#error "KV_APP_VERSION is set by ui/CMakeLists.txt from the project's version"
#endif

namespace kv::ui {

inline constexpr char kAppVersion[] = KV_APP_VERSION;
inline constexpr char kModelName[] = "KV7700";
// The application's name: the caption of message boxes that have none.
inline constexpr char kDefaultAppName[] = "kv7700-config";

}  // namespace kv::ui
