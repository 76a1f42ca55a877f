// The ways a desktop ends a program without its window: SIGTERM (logout,
// shutdown, kill), SIGINT (Ctrl-C in the terminal it was started from) and
// SIGHUP (that terminal closed). Each becomes a request on the event loop,
// so the program can resume key sends the user halted and close its sheet
// instead of dying with the sensor halted.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <functional>
#include <memory>

namespace kv::ui::qt {

class QuitSignals : public QObject {
 public:
  // Catches the signals from now until destroyed, then restores what was
  // there before. `requested` runs on the event loop, once per signal.
  explicit QuitSignals(std::function<void()> requested);
  ~QuitSignals() override;
  QuitSignals(const QuitSignals&) = delete;
  QuitSignals& operator=(const QuitSignals&) = delete;

 private:
  void Drain();

  std::function<void()> requested_;
  int pipe_[2] = {-1, -1};
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace kv::ui::qt
