// The small window beside the sheet under --simulate: plug emulated sensors
// in and pull them out, and move each one's target nearer or farther.
#pragma once

#include <QWidget>

class QGridLayout;

namespace kv::ui::qt {

class Simulation;

class SimulationPanel final : public QWidget {
 public:
  explicit SimulationPanel(Simulation& simulation, QWidget* parent = nullptr);

  // Places the panel to the right of `sheet`.
  void PlaceBeside(const QWidget& sheet);

 private:
  void Rebuild();
  void AddRow(std::size_t index);

  Simulation& simulation_;
  QGridLayout* rows_ = nullptr;
};

}  // namespace kv::ui::qt
