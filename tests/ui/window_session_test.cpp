// The run's end takes the host's windows down in one order, whatever the
// host, while the sheet they refer to still exists.
#include "window_session.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "library_fixture.h"
#include "library_runner.h"
#include "memory_dialog_host.h"

namespace kv::ui {
namespace {

// A host's window that says when it goes, and whether the sheet was there.
class Leaving {
 public:
  Leaving(std::string name, WindowSession& session, std::vector<std::string>& log)
      : name_(std::move(name)), session_(session), log_(log) {}
  ~Leaving() { log_.push_back(name_ + (session_.App().Sheet() ? "" : " (sheet gone)")); }
  Leaving(const Leaving&) = delete;
  Leaving& operator=(const Leaving&) = delete;

 private:
  std::string name_;
  WindowSession& session_;
  std::vector<std::string>& log_;
};

class WindowSessionTest : public kv::testing::LibraryTest {};

TEST_F(WindowSessionTest, FinishTakesTheHostsWindowsDownInOneOrderBeforeTheSheet) {
  Options options;
  options.simulate = true;
  options.simulateFiles = {""};
  WindowSession session(options);
  InlineRunner runner;
  MemoryWindowHost host;
  int status = 0;
  ASSERT_TRUE(session.Start("kv7700-config", runner, host, &status));
  std::vector<std::string> gone;
  using HostWindow = WindowSession::HostWindow;
  // Made in the order a host makes them, not the order they go in.
  for (const auto& [part, name] :
       {std::pair{HostWindow::SheetWindow, "sheet window"},
        std::pair{HostWindow::HotPlugWatch, "hot-plug watch"},
        std::pair{HostWindow::Panel, "panel"}, std::pair{HostWindow::PlotWindow, "plot window"}}) {
    session.Adopt(part, std::make_unique<Leaving>(name, session, gone));
  }
  EXPECT_TRUE(gone.empty());
  EXPECT_EQ(session.Finish(), 0);
  EXPECT_THAT(gone,
              ::testing::ElementsAre("plot window", "panel", "hot-plug watch", "sheet window"));
}

}  // namespace
}  // namespace kv::ui
