#pragma once
// Full-window test images of the screen generator.

#include <QImage>
#include <QSize>

namespace patternimages {

// White and black cells, columns x rows (0 counts as 5), row 0 starting
// white and each row starting opposite to the one above. Cells are the
// window size over the count, rounded, so the last ones may be partial.
QImage checkerBoard(const QSize &size, int columns, int rows);

// White, with a small circle and an arrowhead at the middle of each edge,
// pointing at it: for checking that the whole picture reaches the edges.
QImage edgeMarkers(const QSize &size);

} // namespace patternimages
