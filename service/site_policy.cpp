#include "site_policy.h"

namespace kv::service {

SiteSettings ResolveSettings(const PolicyValues& policy, const std::string& defaultFile) {
  SiteSettings settings;
  settings.file = defaultFile;
  if (policy.siteTemplate) {
    const std::string& named = *policy.siteTemplate;
    const std::size_t first = named.find_first_not_of(" \t");
    if (first != std::string::npos) {
      const std::size_t last = named.find_last_not_of(" \t");
      settings.file = named.substr(first, last - first + 1);
      // A path pasted with its quotes, as Explorer's "Copy as path" gives it.
      if (settings.file.size() >= 2 && settings.file.front() == '"' &&
          settings.file.back() == '"') {
        settings.file = settings.file.substr(1, settings.file.size() - 2);
      }
      settings.fromPolicy = true;
    }
  }
  if (policy.applyOnPlugIn) settings.enabled = *policy.applyOnPlugIn != 0;
  return settings;
}

}  // namespace kv::service
