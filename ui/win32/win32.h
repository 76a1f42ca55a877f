// The Windows headers as the native host uses them: windows.h first (the
// others need its types), then the common controls, property sheets, device
// broadcasts, the common dialogs, COM (oleacc's interfaces) and the shell's
// command-line split. The build's windows.h is the lean one.
#pragma once

// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <dbt.h>
#include <ole2.h>
#include <prsht.h>
#include <shellapi.h>
// clang-format on
