#pragma once
// Whether a top-level window is in front of the member, and bringing it
// there: what the desktop notifications ask of the main window.
class QWidget;

namespace tv {

// The window is the active window, shown and not minimised.
bool WindowInFront(const QWidget* window);
// Restores the window when minimised, raises it and asks for the focus.
void BringToFront(QWidget* window);

}  // namespace tv
