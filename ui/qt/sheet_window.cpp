#include "sheet_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "app_icon.h"
#include "dialog_template.h"
#include "dialog_units.h"
#include "property_page.h"
#include "qt_dialog_host.h"

namespace kv::ui::qt {

namespace {

// Margins of the sheet: the box sits 10 px from the left edge and 8 px above
// the bottom of the window.
constexpr int kSideMargin = 10;
constexpr int kBottomMargin = 8;

}  // namespace

SheetWindow::SheetWindow(PropSheet& sheet, WindowServices& services, HotPlugNotifier* hotPlug)
    : QDialog(nullptr), ServedWindow(services), sheet_(sheet) {
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  setWindowTitle(ToQt(sheet_.InitialCaption()));
  setWindowIcon(AppIcon());

  // Every page gets a tab now; its widgets come on its first activation.
  // Tabs are as large as the largest page.
  tabs_ = new QTabWidget(this);
  const DialogUnits units(font());
  QSize pageSize;
  for (PropertyPage* page : sheet_.Pages()) {
    if (const DialogTemplate* dialog = FindDialogTemplate(page->TemplateId())) {
      pageSize = pageSize.expandedTo(units.Size(dialog->width, dialog->height));
    }
  }
  for (PropertyPage* page : sheet_.Pages()) {
    auto* holder = new QWidget;
    holder->setFixedSize(pageSize);
    tabPages_.push_back(holder);
    dialogs_.push_back(nullptr);
    tabs_->addTab(holder, ToQt(page->Title()));
  }
  connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) { ChooseTab(index); });

  BuildButtons();
  sheet_.Attach(this, hotPlug);
  services_.Runner().SetProgressView(this);
}

SheetWindow::~SheetWindow() {
  services_.Runner().SetProgressView(nullptr);
  // The pages and the sheet outlive this window; they must not keep it.
  for (QtDialogHost* dialog : dialogs_) {
    if (dialog) {
      dialog->SetEvents(nullptr);
    }
  }
  for (PropertyPage* page : sheet_.Pages()) {
    page->Attach(nullptr);
  }
  sheet_.Attach(nullptr, nullptr);
}

void SheetWindow::BuildButtons() {
  halt_ = new QCheckBox(QStringLiteral("Halt Key Sends"), this);
  halt_->setAccessibleName(halt_->text());
  halt_->setAccessibleDescription(QStringLiteral("id %1").arg(kIdHaltKeySends));
  halt_->setObjectName(QStringLiteral("id%1").arg(kIdHaltKeySends));
  // Any change of the box, by click, key or an accessibility toggle action;
  // the program never sets it. While the user may not act it keeps what the
  // sheet knows.
  connect(halt_, &QCheckBox::toggled, this, [this](bool checked) {
    if (!sheet_.UserHaltKeySendsClicked()) {
      const QSignalBlocker quiet(halt_);
      halt_->setChecked(!checked);
    }
  });

  ok_ = new QPushButton(tr("OK"), this);
  cancel_ = new QPushButton(tr("Cancel"), this);
  apply_ = new QPushButton(tr("&Apply"), this);
  ok_->setDefault(true);
  cancel_->setAutoDefault(false);
  apply_->setAutoDefault(false);
  apply_->setEnabled(false);
  ok_->setAccessibleDescription(QStringLiteral("id %1").arg(kIdOk));
  cancel_->setAccessibleDescription(QStringLiteral("id %1").arg(kIdCancel));
  connect(ok_, &QPushButton::clicked, this, [this] { sheet_.UserOk(); });
  connect(cancel_, &QPushButton::clicked, this, [this] { sheet_.RequestCancel(); });
  connect(apply_, &QPushButton::clicked, this, [this] { sheet_.UserApply(); });
  // The box is twice as wide as OK, as high as it.
  const int buttonWidth =
      std::max({ok_->sizeHint().width(), cancel_->sizeHint().width(), apply_->sizeHint().width()});
  for (QPushButton* button : {ok_, cancel_, apply_}) {
    button->setMinimumWidth(buttonWidth);
  }
  halt_->setMinimumSize(2 * buttonWidth, ok_->sizeHint().height());

  progress_ = new QWidget(this);
  progressText_ = new QLabel(progress_);
  progressBar_ = new QProgressBar(progress_);
  progressBar_->setTextVisible(false);
  progressBar_->setMaximumWidth(buttonWidth * 2);
  auto* progressLayout = new QHBoxLayout(progress_);
  progressLayout->setContentsMargins(0, 0, 0, 0);
  progressLayout->addWidget(progressText_);
  progressLayout->addWidget(progressBar_);
  QSizePolicy keepRoom = progress_->sizePolicy();
  keepRoom.setRetainSizeWhenHidden(true);
  progress_->setSizePolicy(keepRoom);
  progress_->hide();
  linger_ = new QTimer(this);
  linger_->setSingleShot(true);
  connect(linger_, &QTimer::timeout, this, [this] { services_.Runner().Progress().LingerOver(); });

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(halt_);
  buttons->addWidget(progress_, 1);
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);
  buttons->addWidget(apply_);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(kSideMargin, kSideMargin, kSideMargin, kBottomMargin);
  layout->addWidget(tabs_);
  layout->addLayout(buttons);
  // A property sheet keeps its size.
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void SheetWindow::Start() {
  sheet_.NotifyInitDialog();
}

QtDialogHost* SheetWindow::PageDialog(int index) const {
  if (index < 0 || index >= static_cast<int>(dialogs_.size())) {
    return nullptr;
  }
  return dialogs_[static_cast<std::size_t>(index)];
}

QtDialogHost* SheetWindow::MakePage(int index) {
  QtDialogHost*& dialog = dialogs_[static_cast<std::size_t>(index)];
  if (dialog) {
    return dialog;
  }
  PropertyPage& page = *sheet_.Pages()[static_cast<std::size_t>(index)];
  const DialogTemplate* form = FindDialogTemplate(page.TemplateId());
  if (!form) {
    return nullptr;
  }
  dialog = new QtDialogHost(*form, services_, tabPages_[static_cast<std::size_t>(index)]);
  dialog->setAccessibleName(ToQt(page.Title()));
  dialog->SetModifiedListener([this](bool) { UpdateApply(); });
  dialog->show();
  dialog->SetEvents(&page);
  page.Attach(dialog);
  page.NotifyInitDialog();
  return dialog;
}

void SheetWindow::ActivatePage(int index) {
  if (index < 0 || index >= static_cast<int>(dialogs_.size()) || !MakePage(index)) {
    return;
  }
  activating_ = true;
  tabs_->setCurrentIndex(index);
  activating_ = false;
  sheet_.Pages()[static_cast<std::size_t>(index)]->NotifySetActive();
}

void SheetWindow::ChooseTab(int index) {
  // The user's choice of tab; the sheet's own choice goes through
  // ActivatePage.
  if (activating_ || index < 0 || !sheet_.UserMayAct()) {
    return;
  }
  ActivatePage(index);
}

void SheetWindow::SetCaption(const std::string& caption) {
  setWindowTitle(ToQt(caption));
}

bool SheetWindow::IsHaltKeySendsChecked() const {
  return halt_->isChecked();
}

void SheetWindow::UpdateApply() {
  bool modified = false;
  for (const QtDialogHost* dialog : dialogs_) {
    modified = modified || (dialog && dialog->Modified());
  }
  apply_->setEnabled(modified);
}

void SheetWindow::closeEvent(QCloseEvent* event) {
  // The title bar's close is Cancel. When the sheet is idle, Cancel runs now
  // and the window closes with this event; else it closes when Cancel has
  // run.
  if (!sheet_.Finished()) {
    sheet_.RequestCancel();
  }
  if (sheet_.Finished()) {
    event->accept();
  } else {
    event->ignore();
  }
}

void SheetWindow::reject() {
  sheet_.RequestCancel();
}

void SheetWindow::ShowProgress(const std::string& text, int percent) {
  linger_->stop();
  progressText_->setText(ToQt(text) + QStringLiteral("\u2026"));
  if (percent < 0) {
    progressBar_->setRange(0, 0);  // busy, length unknown
  } else {
    progressBar_->setRange(0, 100);
    progressBar_->setValue(percent);
  }
  progress_->show();
}

void SheetWindow::HideProgress() {
  progress_->hide();
}

void SheetWindow::StartLinger(std::uint32_t ms) {
  linger_->start(static_cast<int>(ms));
}

bool SheetWindow::ProgressShowing() const {
  return !progress_->isHidden();
}

std::string SheetWindow::ProgressText() const {
  return FromQt(progressText_->text());
}

}  // namespace kv::ui::qt
