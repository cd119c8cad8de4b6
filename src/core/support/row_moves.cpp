#include "core/support/row_moves.h"

#include <algorithm>

QList<int> sortedUniqueRows(QList<int> rows) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

bool moveRowsUp(QList<int>& rows, int count, const std::function<void(int)>& swapWithNext) {
    rows = sortedUniqueRows(rows);
    if (rows.isEmpty() || rows.first() <= 0 || rows.last() >= count) {
        return false;
    }
    for (int& row : rows) {
        swapWithNext(row - 1);
        row -= 1;
    }
    return true;
}

bool moveRowsDown(QList<int>& rows, int count, const std::function<void(int)>& swapWithNext) {
    rows = sortedUniqueRows(rows);
    if (rows.isEmpty() || rows.first() < 0 || rows.last() >= count - 1) {
        return false;
    }
    // From the bottom, so a run of selected rows moves as one block.
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        swapWithNext(*it);
        *it += 1;
    }
    return true;
}
