#include "program.h"

#include <kv7700/native_hid.h>

#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>
#include <QTimer>

#include "hot_plug_watch.h"
#include "range_plot_window.h"
#include "sheet_window.h"
#include "simulation_panel.h"

namespace kv::ui::qt {

Program::Program(Options options) : session_(std::move(options)) {}

Program::~Program() {
  Finish();
}

bool Program::Prepare(int* exitStatus) {
  // Real sensors, unless the session installs emulated ones.
  hid::InstallNativePlatform();
  const std::string appName = FromQt(QFileInfo(QCoreApplication::applicationFilePath()).fileName());
  if (!session_.Start(appName, runner_, ownerless_, exitStatus)) {
    return false;
  }
  using HostWindow = WindowSession::HostWindow;
  MonitorHotPlugNotifier& hotPlug = session_.HotPlug();
  hotPlugWatch_ = session_.Adopt(HostWindow::HotPlugWatch, std::make_unique<HotPlugWatch>(hotPlug));
  window_ =
      session_.Adopt(HostWindow::SheetWindow,
                     std::make_unique<SheetWindow>(*session_.App().Sheet(), services_, &hotPlug));
  if (session_.Emulation()) {
    panel_ =
        session_.Adopt(HostWindow::Panel, std::make_unique<SimulationPanel>(*session_.Emulation()));
  }
  // The distance plot opens when auto ranging starts, and from the sheet's
  // context menu (the title bar's menu is the window manager's).
  RangePlotFeed& plotFeed = *session_.PlotFeed();
  plotWindow_ =
      session_.Adopt(HostWindow::PlotWindow, std::make_unique<RangePlotWindow>(plotFeed.Plot()));
  plotWindow_->SetSheet(window_);
  plotFeed.SetView(plotWindow_);
  auto* plotAction = new QAction(ToQt(kPlotMenuText), window_);
  QObject::connect(plotAction, &QAction::triggered, window_, [this] { ShowPlot(); });
  window_->addAction(plotAction);
  window_->setContextMenuPolicy(Qt::ActionsContextMenu);
  return true;
}

void Program::Show() {
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
  QTimer::singleShot(0, window_, [this] { StartNow(); });
}

void Program::EndSession() {
  if (window_) {
    session_.App().Sheet()->EndSession();
  } else {
    session_.SheetClosed();
  }
}

void Program::ComeForward() {
  if (window_ && !window_->Finished()) {
    window_->setWindowState(window_->windowState() & ~Qt::WindowMinimized);
    window_->show();
    window_->raise();
    window_->activateWindow();
  }
}

void Program::StartNow() {
  if (window_ && !started_) {
    started_ = true;
    window_->Start();  // starts the hot-plug monitor among the rest
    hotPlugWatch_->Watch();
  }
}

int Program::Finish() {
  hotPlugWatch_ = nullptr;
  window_ = nullptr;
  panel_ = nullptr;
  plotWindow_ = nullptr;
  return session_.Finish();
}

}  // namespace kv::ui::qt
