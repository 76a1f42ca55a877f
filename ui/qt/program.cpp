#include "program.h"

#include <kv7700/native_hid.h>

#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>
#include <QTimer>

#include "hot_plug_watch.h"
#include "misc_page.h"
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
  CDorvaneApp& app = session_.App();
  hotPlug_ = session_.MakeHotPlugSource();
  hotPlugWatch_ = std::make_unique<HotPlugWatch>(*hotPlug_);
  window_ = std::make_unique<SheetWindow>(*app.Sheet(), services_, hotPlug_.get());
  app.Sheet()->SetClosedListener([this] {
    if (closed_) {
      closed_();
    }
  });
  if (session_.Emulation()) {
    panel_ = std::make_unique<SimulationPanel>(*session_.Emulation());
  }
  // The distance plot opens when auto ranging starts, and from the sheet's
  // context menu (the title bar's menu is the window manager's).
  plotFeed_ = std::make_unique<RangePlotFeed>(app);
  plotWindow_ = std::make_unique<RangePlotWindow>(plotFeed_->Plot());
  plotWindow_->SetSheet(window_.get());
  plotFeed_->SetView(plotWindow_.get());
  if (app.PageMisc) {
    app.PageMisc->SetRangeListener(plotFeed_.get());
  }
  auto* plotAction = new QAction(ToQt(kPlotMenuText), window_.get());
  QObject::connect(plotAction, &QAction::triggered, window_.get(), [this] { ShowPlot(); });
  window_->addAction(plotAction);
  window_->setContextMenuPolicy(Qt::ActionsContextMenu);
  return true;
}

void Program::ShowPlot() {
  if (plotFeed_) {
    plotFeed_->Open();
  }
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
  QTimer::singleShot(0, window_.get(), [this] { StartNow(); });
}

void Program::EndSession() {
  if (window_) {
    session_.App().Sheet()->EndSession();
  } else if (closed_) {
    closed_();
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
  if (finished_) {
    return 0;
  }
  finished_ = true;
  // The window and hot-plug refer to the sheet, which the session's end
  // destroys.
  CDorvaneApp& app = session_.App();
  panel_.reset();
  if (app.PageMisc) {
    app.PageMisc->SetRangeListener(nullptr);
  }
  if (app.Sheet()) {
    app.Sheet()->SetClosedListener(nullptr);
  }
  plotWindow_.reset();
  plotFeed_.reset();
  window_.reset();
  hotPlugWatch_.reset();
  hotPlug_.reset();
  return session_.Finish();
}

}  // namespace kv::ui::qt
