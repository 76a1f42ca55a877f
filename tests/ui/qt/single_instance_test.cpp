#include "single_instance.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>

#include "qt_test_app.h"

namespace kv::ui::qt {
namespace {

TEST(SingleInstanceTest, ALaterStartBringsTheFirstForwardAndEnds) {
  QApplication& application = testing::TestApplication();
  static_cast<void>(application);
  const QString name =
      QDir(QDir::tempPath()).filePath(QStringLiteral("kv7700-single-%1").arg(::getpid()));
  int calls = 0;
  SingleInstance first(name);
  ASSERT_TRUE(first.Claim([&] { ++calls; }));

  SingleInstance second(name);
  EXPECT_FALSE(second.Claim([] { ADD_FAILURE() << "the second start listens"; }));
  EXPECT_TRUE(testing::ProcessEventsUntil([&] { return calls == 1; }));

  // Once the first's sheet has closed, the next start is the first again.
  first.Release();
  SingleInstance third(name);
  EXPECT_TRUE(third.Claim([] {}));
  third.Release();
}

}  // namespace
}  // namespace kv::ui::qt
