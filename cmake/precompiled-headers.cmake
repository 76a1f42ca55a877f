# Headers parsed once per target instead of once per source file: GoogleTest
# and GoogleMock weigh more than most of our test files, Qt Widgets more than
# most of our window code. A target takes them with
#   target_precompile_headers(<target> PRIVATE ${KV_PCH_GTEST})
# or shares another target's with REUSE_FROM where the flags agree: the user
# may define macros the owner did not, but gcc refuses a header made with a
# macro the user lacks, and clang one made with a macro of another value.
# -DCMAKE_DISABLE_PRECOMPILE_HEADERS=ON builds without them.
set(KV_PCH_GTEST <gtest/gtest.h> <gmock/gmock.h>)
set(KV_PCH_QT
  <QApplication>
  <QCheckBox>
  <QLabel>
  <QLineEdit>
  <QPainter>
  <QPushButton>
  <QTabWidget>
  <QTimer>
  <QWidget>)
