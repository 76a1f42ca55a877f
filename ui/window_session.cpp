#include "window_session.h"

#include <kv7700/emulation.h>
#include <kv7700/hid.h>

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "misc_page.h"
#include "prop_sheet.h"

namespace kv::ui {

bool OneWindowPerSession(const Options& options) {
  return !options.simulate;
}

std::string MessageCaptionOf(std::string_view programFile) {
  const std::size_t slash = programFile.find_last_of("\\/");
  if (slash != std::string_view::npos) programFile.remove_prefix(slash + 1);
  constexpr std::string_view kExtension = ".exe";
  if (programFile.size() > kExtension.size()) {
    const std::string_view end = programFile.substr(programFile.size() - kExtension.size());
    const bool isExe = std::equal(end.begin(), end.end(), kExtension.begin(), [](char a, char b) {
      return std::tolower(static_cast<unsigned char>(a)) == b;
    });
    if (isExe) programFile.remove_suffix(kExtension.size());
  }
  return std::string(programFile);
}

WindowSession::WindowSession(Options options) : options_(std::move(options)) {}

WindowSession::~WindowSession() {
  Finish();
}

void WindowSession::Tell(const std::string& text) {
  std::fprintf(stderr, "%s\n", text.c_str());
  if (host_) {
    host_->ShowMessage({text, app_.AppName(), MessageIcon::Error});
  }
}

bool WindowSession::Start(const std::string& appName, LibraryRunner& runner, WindowHost& host,
                          int* exitStatus) {
  host_ = &host;
  if (const std::string caption = MessageCaptionOf(appName); !caption.empty()) {
    app_.SetAppName(caption);
  }
  if (options_.simulate) {
    simulation_ = std::make_unique<emu::SensorSet>();
    std::string error;
    if (!simulation_->Load(options_.simulateFiles, &error)) {
      Tell(error);
      simulation_.reset();
      *exitStatus = 2;
      return false;
    }
    simulation_->SetAccessDenied(emu::AccessDeniedByEnvironment());
    hid::SetPlatform(&simulation_->Platform());
    platformInstalled_ = true;
  }
  app_.SetRunner(&runner);
  if (!app_.InitInstance(host)) {
    *exitStatus = 1;
    return false;
  }
  plotFeed_ = std::make_unique<RangePlotFeed>(app_);
  if (app_.PageMisc) {
    app_.PageMisc->SetRangeListener(plotFeed_.get());
  }
  app_.Sheet()->SetClosedListener([this] { SheetClosed(); });
  return true;
}

void WindowSession::OpenPlot() {
  if (plotFeed_) {
    plotFeed_->Open();
  }
}

MonitorHotPlugNotifier& WindowSession::HotPlug() {
  if (!hotPlug_ && !simulation_) {
    hotPlug_ = std::make_unique<MonitorHotPlugNotifier>();
  } else if (!hotPlug_) {
    emu::SensorSet* simulation = simulation_.get();
    hotPlug_ = std::make_unique<MonitorHotPlugNotifier>(
        [simulation](int* error) { return simulation->MakeMonitor(error); });
  }
  return *hotPlug_;
}

int WindowSession::Finish() {
  if (finished_) {
    return 0;
  }
  finished_ = true;
  // Nothing calls into a window while it goes: the listeners first, then
  // the host's parts in their order; the sheet's window lets go of the sheet
  // and its hot-plug source, which go after it.
  if (app_.PageMisc) {
    app_.PageMisc->SetRangeListener(nullptr);
  }
  if (app_.Sheet()) {
    app_.Sheet()->SetClosedListener(nullptr);
  }
  if (plotFeed_) {
    plotFeed_->SetView(nullptr);
  }
  for (std::shared_ptr<void>& part : parts_) {
    part.reset();
  }
  hotPlug_.reset();
  plotFeed_.reset();
  int status = 0;
  if (app_.Sheet()) {
    app_.ExitInstance();
  }
  if (simulation_) {
    std::string error;
    if (!simulation_->Save(&error)) {
      Tell(error);
      status = 1;
    }
  }
  if (platformInstalled_) {
    hid::SetPlatform(nullptr);
    platformInstalled_ = false;
  }
  app_.SetRunner(nullptr);
  host_ = nullptr;
  return status;
}

}  // namespace kv::ui
