// The small window beside the sheet under --simulate: plug emulated sensors
// in and pull them out, and move each one's target nearer or farther.
#pragma once

#include <kv7700/emulation.h>

#include <QWidget>

class QGridLayout;

namespace kv::ui::qt {

class SimulationPanel final : public QWidget {
 public:
  explicit SimulationPanel(emu::SensorSet& simulation, QWidget* parent = nullptr);

  // Places the panel to the right of `sheet`.
  void PlaceBeside(const QWidget& sheet);

 private:
  void Rebuild();
  void AddRow(std::size_t index);

  emu::SensorSet& simulation_;
  QGridLayout* rows_ = nullptr;
};

}  // namespace kv::ui::qt
