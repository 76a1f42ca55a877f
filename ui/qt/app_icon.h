// The window's icon (resource 128): our own scalable drawing of the sensor,
// rendered at the sizes desktops ask for.
#pragma once

#include <QIcon>

namespace kv::ui::qt {

QIcon AppIcon();

}  // namespace kv::ui::qt
