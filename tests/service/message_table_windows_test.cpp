// The message table inside kv7700-service.exe, as the event viewer reads it:
// each event's full id (severity included) finds its English text, and the
// strings the service gives fill its insertions.
#include <gtest/gtest.h>
#include <kv7700/utf16.h>

#include <string>

#include "event_ids.h"
#include "win32.h"

namespace kv::service {
namespace {

TEST(MessageTableTest, EveryEventHasItsTextInTheServiceProgram) {
  std::wstring program;
  ASSERT_TRUE(WideFromUtf8(KV_SERVICE_EXE, &program));
  HMODULE module = ::LoadLibraryExW(program.c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(module, nullptr) << KV_SERVICE_EXE;
  for (const EventKind& kind : AllEventKinds()) {
    // As ReportEventW hands them over: an array of string pointers.
    std::wstring strings[4];
    DWORD_PTR pointers[4] = {};
    for (int n = 0; n < kind.strings; ++n) {
      strings[n] = L"<insertion " + std::to_wstring(n + 1) + L">";
      pointers[n] = reinterpret_cast<DWORD_PTR>(strings[n].c_str());
    }
    wchar_t text[4096] = {};
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY, module,
        FullEventId(kind.id, kind.severity), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), text,
        4096, reinterpret_cast<va_list*>(pointers));
    const int id = static_cast<int>(kind.id);
    ASSERT_GT(length, 0u) << "event " << id << ": error " << ::GetLastError();
    const std::string message = Utf8FromWide(text);
    for (int n = 0; n < kind.strings; ++n) {
      EXPECT_NE(message.find("<insertion " + std::to_string(n + 1) + ">"), std::string::npos)
          << "event " << id << ": " << message;
    }
  }
  ::FreeLibrary(module);
}

}  // namespace
}  // namespace kv::service
