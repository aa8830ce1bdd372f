#pragma once

// Keeping windows inside the part of the screen that panels leave free, at
// any scale: a window goes where it was meant to go when it fits there and
// is moved (or, larger than the area, given scroll bars) when it does not.

#include <QMargins>
#include <QRect>

class QScreen;
class QWidget;

namespace vendaro {

// Where a window whose frame is `wanted` goes inside `area`: unchanged when
// it fits, otherwise moved the least distance; a frame larger than the area
// starts at the area's top-left corner.
QPoint FitFrameInto(const QRect& wanted, const QRect& area);

// The frame of a window beside `anchor` (the frame of its owner): on its
// right when it fits there, else on its left, else the right-hand place
// moved inside `area`.
QPoint PlaceBeside(const QRect& anchor, const QSize& frame, const QRect& area);

// The free area of the screen a window is on (its owner's screen, or the
// primary screen before it has one).
QRect AvailableArea(const QWidget* window);

// What the window manager adds around a window: known once it has been
// shown, guessed before (a title bar) for a decorated window.
QMargins FrameMargins(const QWidget* window);

// The rectangle a top-level window covers with its frame.
QRect FrameOf(const QWidget* window);

// Gives a fixed-size window that is larger than `area` scroll bars: its
// child widgets move into a scrolled page of the full size and the window
// shrinks to fit.  Does nothing when the window fits.
void ShrinkToArea(QWidget* window, const QRect& area);

// Moves a top-level window so that its frame lies inside its screen's free
// area, shrinking it first when it is larger than the area.
void KeepOnScreen(QWidget* window);

// Centres a window on its screen, moved into the free area (and shrunk to
// fit) where need be.
void CentreOnScreen(QWidget* window);

}  // namespace vendaro
