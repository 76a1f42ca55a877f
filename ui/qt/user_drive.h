// The user's hand on a Qt window, for the tests and the window driver: a
// click and a key stroke as the platform delivers them, and the event loop
// turned until something has happened. Never part of the program.
#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace kv::ui::qt::drive {

// A press and a release of the left button over the middle of `widget`.
void ClickAsUser(QWidget* widget);
// A key stroke (press and release) in `widget`.
void TypeAsUser(QWidget* widget, int key, const QString& text = {});
// Runs the event loop until `done` holds, for at most `limitMs` of real time
// (events from another thread or process take a moment); false when it did
// not come to hold.
bool ProcessEventsUntil(const std::function<bool()>& done, int limitMs = 5000);

}  // namespace kv::ui::qt::drive
