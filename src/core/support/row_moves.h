#pragma once

#include <QList>
#include <functional>

// "上移" / "下移" of a selection: the selected rows move one place together, and nothing moves
// when the selection touches the edge. `swapWithNext(i)` swaps rows i and i + 1; the selection
// is updated to follow its rows. False when nothing moved.
bool moveRowsUp(QList<int>& rows, int count, const std::function<void(int)>& swapWithNext);
bool moveRowsDown(QList<int>& rows, int count, const std::function<void(int)>& swapWithNext);

// Sorted, without repeats.
QList<int> sortedUniqueRows(QList<int> rows);
