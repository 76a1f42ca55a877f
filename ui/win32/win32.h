// The Windows headers as the native host uses them: windows.h first (the
// others need its types), then the common controls, property sheets, device
// broadcasts, the common dialogs and the shell's command-line split.
#pragma once

// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <dbt.h>
#include <prsht.h>
#include <shellapi.h>
// clang-format on
