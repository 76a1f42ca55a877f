// The native property sheet on one emulated sensor, on virtual time: its
// start-up, Apply, and every way out resuming the key sends the user halted.
#include "sheet_window.h"

#include <gtest/gtest.h>
#include <kv7700/clock.h>
#include <kv7700/emulation.h>

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "hid/emulated/emulated_sensor.h"
#include "hid/emulated/sensor_set_probe.h"
#include "misc_page.h"
#include "program.h"
#include "simulated_sheet_fixture.h"

namespace kv::ui::win32 {
namespace {

constexpr int kApplyNowId = 0x3021;
constexpr int kSonarPage = 2;
constexpr int kMaxDistanceEdit = 1027;

class SheetTest : public SimulatedSheetTest {
 protected:
  HWND Button(int id) { return GetDlgItem(Sheet(), id); }
  emu::EmulatedSensor& Sensor() { return emu::SensorSetProbe::Sensor(*session_->Emulation(), 0); }
};

TEST_F(SheetTest, StartUpShowsTheSensorInTheCaptionAndMakesEveryPage) {
  wchar_t caption[128] = {};
  GetWindowTextW(Sheet(), caption, 128);
  EXPECT_STREQ(caption, L"KV7700 " KV_APP_VERSION ", DLL 5.50, DeviceFW 4.10");
  for (int i = 0; i < 4; ++i) {
    ASSERT_NE(window_->PageDialog(i), nullptr);
    EXPECT_NE(window_->PageDialog(i)->Window(), nullptr) << i;
  }
  EXPECT_EQ(PropSheet_GetCurrentPageHwnd(Sheet()), window_->PageDialog(0)->Window());
  EXPECT_FALSE(IsWindowEnabled(Button(kApplyNowId)));
  EXPECT_TRUE(messages_.empty());
}

TEST_F(SheetTest, HaltKeySendsSitsBottomLeftTwiceAsWideAsOk) {
  const auto rectOf = [this](HWND child) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, Sheet(), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  };
  const RECT ok = rectOf(Button(IDOK));
  const RECT box = rectOf(Button(kIdHaltKeySends));
  RECT client{};
  GetClientRect(Sheet(), &client);
  EXPECT_EQ(box.left, 10);
  EXPECT_EQ(box.bottom, client.bottom - 8);
  EXPECT_EQ(box.bottom - box.top, ok.bottom - ok.top);
  EXPECT_EQ(box.right - box.left, 2 * (ok.right - ok.left));
  EXPECT_FALSE(window_->IsHaltKeySendsChecked());
  wchar_t text[32] = {};
  GetWindowTextW(Button(kIdHaltKeySends), text, 32);
  EXPECT_STREQ(text, L"Halt Key Sends");
  EXPECT_NE(GetWindowLongPtrW(Sheet(), GWL_STYLE) & WS_MINIMIZEBOX, 0);
}

TEST_F(SheetTest, ApplyIsOnWhileAPageIsModifiedAndWritesIt) {
  Win32DialogHost& sonar = *window_->PageDialog(kSonarPage);
  HWND edit = GetDlgItem(sonar.Window(), kMaxDistanceEdit);
  SendMessageW(edit, EM_SETSEL, 0, -1);
  SendMessageW(edit, WM_CHAR, '3', 0);  // the user types
  SendMessageW(edit, WM_CHAR, '3', 0);
  EXPECT_EQ(sonar.GetText(kMaxDistanceEdit), "33");
  EXPECT_TRUE(sonar.Modified());
  EXPECT_TRUE(IsWindowEnabled(Button(kApplyNowId)));

  SendMessageW(Button(kApplyNowId), BM_CLICK, 0, 0);
  EXPECT_FALSE(sonar.Modified());
  EXPECT_FALSE(IsWindowEnabled(Button(kApplyNowId)));
  EXPECT_FALSE(window_->Finished());
  EXPECT_TRUE(messages_.empty());
}

TEST_F(SheetTest, SensorsPluggedAndPulledReachTheSheetAsDeviceChangeMessages) {
  // The emulated bus sends the window WM_DEVICECHANGE, as the system does.
  session_->Emulation()->PullOut(0);
  RunUntilCaptionShows(L"DeviceFW 0.00");
  EXPECT_EQ(Caption(), L"KV7700 " KV_APP_VERSION ", DLL 5.50, DeviceFW 0.00");
  session_->Emulation()->PlugIn(0);
  RunUntilCaptionShows(L"DeviceFW 4.10");
  EXPECT_EQ(Caption(), L"KV7700 " KV_APP_VERSION ", DLL 5.50, DeviceFW 4.10");
  EXPECT_TRUE(messages_.empty());
}

struct WayOut {
  const char* name;
  std::function<void(HWND sheet)> take;
  bool endsProgram = false;  // no pause follows the resume
};

class SheetWayOutTest : public SheetTest, public ::testing::WithParamInterface<WayOut> {};

TEST_P(SheetWayOutTest, ResumesTheKeySendsTheUserHalted) {
  SendMessageW(GetDlgItem(Sheet(), kIdHaltKeySends), BM_CLICK, 0, 0);
  ASSERT_TRUE(Sensor().KeySendsHalted());
  clock_.ResetSlept();
  GetParam().take(Sheet());
  RunPending();
  EXPECT_TRUE(window_->Finished());
  EXPECT_FALSE(IsWindowVisible(Sheet()));
  EXPECT_FALSE(Sensor().KeySendsHalted());
  if (!GetParam().endsProgram) {
    EXPECT_GE(clock_.SleptMs(), 2000u);  // the sensor's time to resume
  }
}

INSTANTIATE_TEST_SUITE_P(
    EveryWay, SheetWayOutTest,
    ::testing::Values(
        WayOut{"Ok", [](HWND s) { SendMessageW(GetDlgItem(s, IDOK), BM_CLICK, 0, 0); }},
        WayOut{"Cancel", [](HWND s) { SendMessageW(GetDlgItem(s, IDCANCEL), BM_CLICK, 0, 0); }},
        // Esc, as the dialog manager turns it into a command.
        WayOut{"Escape",
               [](HWND s) { SendMessageW(s, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); }},
        WayOut{"CloseBox", [](HWND s) { SendMessageW(s, WM_SYSCOMMAND, SC_CLOSE, 0); }},
        WayOut{"CloseMessage", [](HWND s) { PostMessageW(s, WM_CLOSE, 0, 0); }},
        WayOut{"LoggingOut", [](HWND s) { SendMessageW(s, WM_ENDSESSION, TRUE, 0); }, true}),
    [](const ::testing::TestParamInfo<WayOut>& info) { return std::string(info.param.name); });

// Logging out while the Misc. page's auto ranging reads the sensor, or while
// the message of a failed reading waits for an answer.
class SessionEndTest : public SheetTest, public ::testing::WithParamInterface<bool> {};

void EndTheSession(HWND sheet) {
  SendMessageW(sheet, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
  SendMessageW(sheet, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
}

TEST_P(SessionEndTest, ResumesTheKeySendsTheUserHaltedBeforeTheProgramEnds) {
  const bool messageOpen = GetParam();
  constexpr int kMiscPage = 3;
  SendMessageW(GetDlgItem(Sheet(), kIdHaltKeySends), BM_CLICK, 0, 0);
  ASSERT_TRUE(Sensor().KeySendsHalted());
  PropSheet_SetCurSel(Sheet(), nullptr, kMiscPage);
  RunPending();
  HWND misc = window_->PageDialog(kMiscPage)->Window();
  Sensor().ClearTrace();

  std::thread ender;
  bool readingSeen = true;
  HANDLE reading = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (messageOpen) {
    Sensor().FailAt(emu::Direction::Get, 1);
    session_->Services().SetMessagePresenter([this](HWND, const MessageRequest& request) {
      messages_.push_back(request.text);
      EndTheSession(Sheet());
      return MessageResult::Ok;
    });
  } else {
    // The system's messages come from another thread while the reading runs.
    Sensor().SetTraceObserver([reading](const emu::TraceEntry& entry) {
      if (entry.direction == emu::Direction::Set && entry.bytes[1] == 0x8F) {
        SetEvent(reading);
      }
    });
    // Bounded: a reading that never starts fails the test, the session
    // still ends.
    ender = std::thread([this, reading, &readingSeen] {
      readingSeen = WaitForSingleObject(reading, 30'000) == WAIT_OBJECT_0;
      EndTheSession(Sheet());
    });
  }
  SendMessageW(GetDlgItem(misc, MiscPage::kIdAutoRange), BM_CLICK, 0, 0);
  session_->Loop().Run();  // until the sheet closes
  if (ender.joinable()) {
    ender.join();
  }
  EXPECT_TRUE(readingSeen) << "no range reading began";
  Sensor().SetTraceObserver(nullptr);
  CloseHandle(reading);

  std::vector<int> commands;
  for (const emu::TraceEntry& entry : Sensor().TraceCopy()) {
    if (entry.direction == emu::Direction::Set && entry.ok) {
      commands.push_back(entry.bytes[1]);
    }
  }
  EXPECT_EQ(commands, (std::vector<int>{0x8F, 0xB0}));
  EXPECT_FALSE(Sensor().KeySendsHalted());
  EXPECT_TRUE(window_->Finished());
  EXPECT_EQ(messages_.size(), messageOpen ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(ReadingOrMessage, SessionEndTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "MessageBoxOpen" : "DuringReading";
                         });

}  // namespace
}  // namespace kv::ui::win32
