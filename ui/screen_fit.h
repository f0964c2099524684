// The form keeps its controls at their natural size and places; on a screen
// too small for it the pages scroll while the strip below them (the version
// line, the device buttons, the progress bar) stays in view, and the window
// opens inside the screen's free area.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace tav::ui {

// Moves the children of `form` (laid out for `natural` size) that lie at or
// below `stripTop` into a strip of their own (object name "DeviceStrip",
// property "formTop" = `stripTop`, so a position in it is known on the form)
// and returns a new widget holding the rest of the form in a scroll area
// above that strip. A window wider than the form centres it.
QWidget* MakeScrollingForm(QWidget* form, QSize natural, int stripTop);

// Where a window whose client area would like to be `wanted` goes on a
// screen whose free area (less task bars) is `available`: at `preferred`
// when it fits there, otherwise moved and, if need be, shrunk so that the
// whole frame (`frameExtra` beyond the client area: title bar and borders)
// lies inside it. Returns the frame's top-left corner (what move() takes)
// with the client area's size (what resize() takes).
QRect ClientGeometryOnScreen(QSize wanted, QPoint preferred, QRect available, QSize frameExtra);

}  // namespace tav::ui
