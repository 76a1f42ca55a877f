// The JSON text of the built-in dialog templates (res/dialogs/*.json), built
// into the program by CMake (dialog_template_sources.cpp is generated).
#pragma once

#include <cstddef>

namespace kv::ui {

extern const char* const kDialogTemplateSources[];
extern const std::size_t kDialogTemplateSourceCount;

}  // namespace kv::ui
