#include "session.h"

#include <kv7700/emulation.h>
#include <kv7700/hid.h>

#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>
#include <QTimer>
#include <cstdio>

#include "hot_plug_watch.h"
#include "misc_page.h"
#include "range_plot_window.h"
#include "sheet_window.h"
#include "simulation_panel.h"

namespace kv::ui::qt {

Session::Session(Options options) : options_(std::move(options)) {}

Session::~Session() {
  if (!finished_) {
    Finish();
  }
}

void Session::Tell(const std::string& text, const std::string& caption) {
  // Started from a terminal, the user reads it there too.
  std::fprintf(stderr, "%s\n", text.c_str());
  services_.ShowMessage(nullptr, {text, caption, MessageIcon::Error});
}

bool Session::Prepare(int* exitStatus) {
  const std::string appName = FromQt(QFileInfo(QCoreApplication::applicationFilePath()).fileName());
  if (!appName.empty()) {
    app_.SetAppName(appName);
  }
  if (options_.simulate) {
    simulation_ = std::make_unique<emu::SensorSet>();
    std::string error;
    if (!simulation_->Load(options_.simulateFiles, &error)) {
      Tell(error, app_.AppName());
      *exitStatus = 2;
      return false;
    }
    if (qEnvironmentVariable("KV7700_SIMULATE_DENIED") == QLatin1String("1")) {
      // As a sensor without the udev rule: present, but not ours to open.
      simulation_->SetAccessDenied(true);
    }
    hid::SetPlatform(&simulation_->Platform());
    emu::SensorSet* simulation = simulation_.get();
    hotPlug_ = std::make_unique<MonitorHotPlugSource>(
        [simulation](int* error) { return simulation->MakeMonitor(error); });
  } else {
    hotPlug_ = std::make_unique<MonitorHotPlugSource>();  // udev
  }
  hotPlugWatch_ = std::make_unique<HotPlugWatch>(*hotPlug_);

  app_.SetRunner(&runner_);
  OwnerlessHost ownerless(services_);
  if (!app_.InitInstance(ownerless)) {
    *exitStatus = 1;
    return false;
  }
  window_ = std::make_unique<SheetWindow>(*app_.Sheet(), app_.Gate(), services_, hotPlug_.get());
  window_->SetClosedListener([this] {
    if (closed_) {
      closed_();
    }
  });
  if (simulation_) {
    panel_ = std::make_unique<SimulationPanel>(*simulation_);
  }
  // The distance plot opens when auto ranging starts, and from the sheet's
  // context menu (the title bar's menu is the window manager's).
  plotFeed_ = std::make_unique<RangePlotFeed>(app_);
  plotWindow_ = std::make_unique<RangePlotWindow>(plotFeed_->Plot());
  plotWindow_->SetSheet(window_.get());
  plotFeed_->SetView(plotWindow_.get());
  if (app_.PageMisc) {
    app_.PageMisc->SetRangeListener(plotFeed_.get());
  }
  auto* plotAction = new QAction(QStringLiteral("Distance Plot..."), window_.get());
  QObject::connect(plotAction, &QAction::triggered, window_.get(), [this] { ShowPlot(); });
  window_->addAction(plotAction);
  window_->setContextMenuPolicy(Qt::ActionsContextMenu);
  return true;
}

void Session::ShowPlot() {
  if (plotFeed_) {
    plotFeed_->TakeThresholds();
    plotWindow_->PlotChanged();
    plotWindow_->ShowPlot();
  }
}

void Session::Show() {
  if (!window_) {
    return;
  }
  window_->show();
  if (panel_) {
    panel_->PlaceBeside(*window_);
    panel_->show();
  }
  // The window shows at once; opening and reading the sensors follows, with
  // its progress in the window.
  QTimer::singleShot(0, window_.get(), [this] { StartNow(); });
}

void Session::RequestQuit() {
  if (window_) {
    window_->RequestCancel();
  } else if (closed_) {
    closed_();
  }
}

void Session::StartNow() {
  if (window_ && !started_) {
    started_ = true;
    window_->Start();  // starts the hot-plug monitor among the rest
    hotPlugWatch_->Watch();
  }
}

int Session::Finish() {
  if (finished_) {
    return 0;
  }
  finished_ = true;
  // The window and hot-plug refer to the sheet, which ExitInstance destroys.
  panel_.reset();
  if (app_.PageMisc) {
    app_.PageMisc->SetRangeListener(nullptr);
  }
  plotWindow_.reset();
  plotFeed_.reset();
  window_.reset();
  hotPlugWatch_.reset();
  hotPlug_.reset();
  int status = 0;
  if (app_.Sheet()) {
    app_.ExitInstance();
  }
  if (simulation_) {
    std::string error;
    if (!simulation_->Save(&error)) {
      Tell(error, app_.AppName());
      status = 1;
    }
    hid::SetPlatform(nullptr);
  }
  return status;
}

}  // namespace kv::ui::qt
