// One configurator per user and display: the first to start listens on a
// local socket named after both; a later start connects to it, which asks
// the first to bring its sheet to the front, and ends. Two sheets on the
// same sensors would show "Halt Key Sends" boxes that disagree.
#pragma once

#include <QLocalServer>
#include <QString>
#include <functional>

namespace kv::ui::qt {

class SingleInstance {
 public:
  // The socket for this user and display: in the user's runtime folder
  // (only the user may enter it), else the temporary folder with the user's
  // id in the name.
  static QString DefaultName();

  explicit SingleInstance(QString name = DefaultName());
  // True when this is the first start: it now listens, and `comeForward`
  // runs on the event loop at each later start. False when another
  // configurator runs and has been asked to come forward. When no socket
  // can be made the start counts as the first.
  bool Claim(std::function<void()> comeForward);
  // The sheet has closed: later starts are no longer sent here.
  void Release();

 private:
  QString name_;
  QLocalServer server_;
};

}  // namespace kv::ui::qt
