// Where the site template comes from and whether arrivals get it: the
// defaults, unless a machine policy (Group Policy, Intune) says otherwise.
// The values are read by the platform (the registry on Windows); deciding
// from them is here, so it is the same code everywhere.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kv::service {

// HKLM\SOFTWARE\Policies\KV7700: the key and values the ADMX template sets.
inline constexpr const char* kPolicyKey = "SOFTWARE\\Policies\\KV7700";
inline constexpr const char* kSiteTemplateValue = "SiteTemplate";    // REG_SZ / REG_EXPAND_SZ
inline constexpr const char* kApplyOnPlugInValue = "ApplyOnPlugIn";  // REG_DWORD, 0 or 1

// The values as found; absent when the policy is not configured.
struct PolicyValues {
  std::optional<std::string> siteTemplate;  // environment variables expanded
  std::optional<std::uint32_t> applyOnPlugIn;
};

struct SiteSettings {
  std::string file;
  bool fromPolicy = false;  // the file was named by policy, not the default
  bool enabled = true;
};

// An empty or blank path in the policy counts as not configured, so a
// half-filled policy never points the service at nothing; surrounding blanks
// and quotes are not part of the path.
SiteSettings ResolveSettings(const PolicyValues& policy, const std::string& defaultFile);

}  // namespace kv::service
