#include "simulation_panel.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QVBoxLayout>
#include <cmath>

#include "window_services.h"

namespace kv::ui::qt {

namespace {

constexpr int kNearestInches = 0;
constexpr int kFarthestInches = 120;
constexpr int kStepInches = 6;
constexpr int kGapToSheet = 8;

QString TargetText(int inches) {
  return QStringLiteral("Target at %1 in").arg(inches);
}

}  // namespace

SimulationPanel::SimulationPanel(emu::SensorSet& simulation, QWidget* parent)
    : QWidget(parent, Qt::Window), simulation_(simulation) {
  setWindowTitle(tr("Emulated sensors"));
  auto* layout = new QVBoxLayout(this);
  auto* intro = new QLabel(tr("Sensors on an emulated USB bus. Plug them in and out, and move\n"
                              "the person in front of each one nearer or farther."),
                           this);
  layout->addWidget(intro);
  rows_ = new QGridLayout;
  layout->addLayout(rows_);
  auto* add = new QPushButton(tr("Plug in a new sensor"), this);
  connect(add, &QPushButton::clicked, this, [this] { AddRow(simulation_.AddSensor()); });
  layout->addWidget(add, 0, Qt::AlignLeft);
  layout->addStretch(1);
  Rebuild();
}

void SimulationPanel::Rebuild() {
  for (std::size_t i = 0; i < simulation_.Count(); ++i) {
    AddRow(i);
  }
}

void SimulationPanel::AddRow(std::size_t index) {
  const int row = static_cast<int>(index);
  auto* name = new QLabel(tr("Sensor %1").arg(row + 1), this);
  if (const std::string file = simulation_.FileOf(index); !file.empty()) {
    name->setToolTip(ToQt(file));
  }
  auto* plug = new QPushButton(this);
  plug->setAccessibleName(name->text() + tr(": plug in or pull out"));
  auto* target = new QSlider(Qt::Horizontal, this);
  target->setRange(kNearestInches, kFarthestInches);
  target->setSingleStep(1);
  target->setPageStep(kStepInches);
  target->setMinimumWidth(160);
  target->setValue(static_cast<int>(std::lround(simulation_.TargetInches(index))));
  target->setAccessibleName(name->text() + tr(": target distance in inches"));
  auto* distance = new QLabel(TargetText(target->value()), this);
  auto* nearer = new QPushButton(tr("Nearer"), this);
  auto* farther = new QPushButton(tr("Farther"), this);

  const auto showPlugged = [this, index, plug] {
    const bool plugged = simulation_.PluggedIn(index);
    plug->setText(plugged ? tr("Pull out") : tr("Plug in"));
    plug->setToolTip(plugged ? ToQt(simulation_.PathOf(index)) : tr("Not plugged in"));
  };
  showPlugged();
  connect(plug, &QPushButton::clicked, this, [this, index, showPlugged] {
    if (simulation_.PluggedIn(index)) {
      simulation_.PullOut(index);
    } else {
      simulation_.PlugIn(index);
    }
    showPlugged();
  });
  connect(target, &QSlider::valueChanged, this, [this, index, distance](int inches) {
    simulation_.MoveTarget(index, inches);
    distance->setText(TargetText(inches));
  });
  connect(nearer, &QPushButton::clicked, target,
          [target] { target->setValue(target->value() - kStepInches); });
  connect(farther, &QPushButton::clicked, target,
          [target] { target->setValue(target->value() + kStepInches); });

  rows_->addWidget(name, row, 0);
  rows_->addWidget(plug, row, 1);
  rows_->addWidget(nearer, row, 2);
  rows_->addWidget(target, row, 3);
  rows_->addWidget(farther, row, 4);
  rows_->addWidget(distance, row, 5);
}

void SimulationPanel::PlaceBeside(const QWidget& sheet) {
  QPoint at = sheet.frameGeometry().topRight() + QPoint(kGapToSheet, 0);
  if (const QScreen* screen = sheet.screen()) {
    // Kept on the screen: on a narrow one it overlaps the sheet's edge.
    const QRect area = screen->availableGeometry();
    at.setX(std::min(at.x(), area.right() - sizeHint().width()));
  }
  move(at);
}

}  // namespace kv::ui::qt
