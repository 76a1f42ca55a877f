// One command line from arguments, quoted so that the started program's C
// runtime (CommandLineToArgvW's rules) gives back exactly those arguments:
// a Windows program receives one string, not a list.
#pragma once

#include <string>
#include <vector>

namespace kv::service {

std::string QuotedCommandLine(const std::vector<std::string>& args);

}  // namespace kv::service
