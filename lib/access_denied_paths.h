// The record behind GetAccessDeniedPaths, kept by the discovery code.
#pragma once

#include <string>
#include <vector>

namespace kv {

const std::vector<std::string>& AccessDeniedPaths();
void ClearAccessDenied();
// Notes a sensor path that refused to open for lack of permission.
void NoteAccessDenied(const std::string& path);
// Forgets a path (it opened, or it is gone).
void ForgetAccessDenied(const std::string& path);

}  // namespace kv
