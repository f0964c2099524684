// What the window remembers between runs, and where a remembered place goes
// when the screens have changed since.
#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

namespace tav::ui {

// Where a window goes that was last at `remembered` (frame top-left, client
// size) when the screens' free areas are now `available` (the primary one
// first) and its frame adds `frameExtra`: where it was, on the screen that
// holds most of it, kept inside that screen; on the primary screen at
// `fallback` when no screen shows any of it. Same shape as
// ClientGeometryOnScreen's answer.
QRect RememberedPlaceOnScreens(QRect remembered, const QList<QRect>& available, QSize frameExtra,
                               QPoint fallback);

}  // namespace tav::ui
