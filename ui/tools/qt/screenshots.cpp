// Renders the sheet with each page, and the simulation panel, to PNG files
// (run by scripts/screenshots on Qt's offscreen platform). The emulated
// sensor runs on virtual time, so the sensor's waits take none.
//
//   kv7700-screenshots OUTPUT_DIRECTORY
#include <kv7700/clock.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QTabWidget>
#include <cstdio>

#include "misc_page.h"
#include "program.h"
#include "qt_dialog_host.h"
#include "range_plot_window.h"
#include "sheet_window.h"
#include "simulation_panel.h"

namespace {

bool Save(QWidget& widget, const QString& path) {
  QApplication::processEvents();
  // Flat widgets need few colours; a palette keeps the files small.
  const QImage image =
      widget.grab().toImage().convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
  if (!image.save(path, "PNG", 9)) {
    std::fprintf(stderr, "kv7700-screenshots: cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("%s\n", qPrintable(path));
  return true;
}

// A person walks up to the sensor, stays a while and walks away, read once a
// second for a minute by the Misc. page's Auto GetRange.
bool SavePlot(kv::ui::qt::Program& session, kv::VirtualClock& clock, const QString& path) {
  using kv::ui::MiscPage;
  kv::ui::qt::SheetWindow& window = *session.Window();
  window.Tabs()->setCurrentIndex(3);
  kv::ui::qt::QtDialogHost* misc = window.PageDialog(3);
  auto* rate = misc ? qobject_cast<QLineEdit*>(misc->Widget(MiscPage::kIdRangeRate)) : nullptr;
  auto* box = misc ? qobject_cast<QAbstractButton*>(misc->Widget(MiscPage::kIdAutoRange)) : nullptr;
  if (!rate || !box || session.Emulation()->Count() == 0) {
    std::fprintf(stderr, "kv7700-screenshots: the Misc. page has no range controls\n");
    return false;
  }
  // Slow enough that the window's own timer stays out of the way: the
  // ticks below are the readings.
  rate->setText(QStringLiteral("600000"));
  box->click();
  kv::emu::SensorSet& sensors = *session.Emulation();
  const struct {
    int seconds;
    double speed;  // inches per second; negative is nearer
  } walk[] = {{24, -1.5}, {16, 0}, {21, 2.0}};
  sensors.MoveTarget(0, 57);
  for (const auto& leg : walk) {
    sensors.MoveTarget(0, sensors.TargetInches(0), leg.speed);
    for (int second = 0; second < leg.seconds; ++second) {
      clock.Advance(750);  // and 250 ms for the reading
      session.App().PageMisc->NotifyTimer(MiscPage::RANGE_TIMER_ID);
    }
  }
  kv::ui::qt::RangePlotWindow* plot = session.PlotWindow();
  const bool saved = plot && Save(*plot, path);
  box->click();
  if (plot) {
    plot->hide();
  }
  return saved;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication application(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "Usage: kv7700-screenshots OUTPUT_DIRECTORY\n");
    return 2;
  }
  const QDir out(QString::fromLocal8Bit(argv[1]));
  if (!out.exists() && !QDir().mkpath(out.path())) {
    std::fprintf(stderr, "kv7700-screenshots: cannot make %s\n", argv[1]);
    return 1;
  }

  kv::VirtualClock clock;
  kv::SetClock(&clock);
  kv::ui::Options options;
  options.simulate = true;
  options.simulateFiles = {""};
  int status = 0;
  {
    kv::ui::qt::Program session(options);
    if (!session.Prepare(&status)) {
      return status;
    }
    kv::ui::qt::SheetWindow& window = *session.Window();
    window.show();
    session.StartNow();
    // The start-up's progress strip goes a moment after the work.
    QDeadlineTimer deadline(5000);
    while (window.ProgressShowing() && !deadline.hasExpired()) {
      QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    static const char* const kNames[] = {"walk-away", "walk-to", "sonar", "misc"};
    for (int page = 0; page < window.Tabs()->count() && page < 4; ++page) {
      window.Tabs()->setCurrentIndex(page);
      if (!Save(window, out.filePath(QStringLiteral("sheet-%1-%2.png")
                                         .arg(page + 1)
                                         .arg(QString::fromLatin1(kNames[page]))))) {
        status = 1;
      }
    }
    if (!SavePlot(session, clock, out.filePath(QStringLiteral("range-plot.png")))) {
      status = 1;
    }
    if (kv::ui::qt::SimulationPanel* panel = session.Panel()) {
      panel->show();
      if (!Save(*panel, out.filePath(QStringLiteral("simulation-panel.png")))) {
        status = 1;
      }
    }
    window.Tabs()->setCurrentIndex(0);
    const int finished = session.Finish();
    status = status ? status : finished;
  }
  kv::SetClock(nullptr);
  return status;
}
