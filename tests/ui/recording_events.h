// A page stand-in that records the notifications a dialog host raises.
#pragma once

#include <string>
#include <vector>

#include "dialog_host.h"

namespace kv::ui::testing {

class RecordingEvents : public DialogEvents {
 public:
  void NotifyInitDialog() override { log.emplace_back("init"); }
  void NotifyTextChanged(int id) override { log.emplace_back("text " + std::to_string(id)); }
  void NotifyClicked(int id) override { log.emplace_back("click " + std::to_string(id)); }
  void NotifySelectionChanged(int id) override { log.emplace_back("select " + std::to_string(id)); }
  void NotifyTimer(std::uint32_t id) override { log.emplace_back("timer " + std::to_string(id)); }
  void NotifySetActive() override { log.emplace_back("active"); }
  bool NotifyApply() override {
    log.emplace_back("apply");
    return true;
  }
  void NotifyCommand(int command, int parameter) override {
    log.emplace_back("command " + std::to_string(command) + " " + std::to_string(parameter));
  }

  std::vector<std::string> log;
};

}  // namespace kv::ui::testing
