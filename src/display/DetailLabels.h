#pragma once
// The twenty lines of the details panel: which detail column each line shows, and its label.
// A label is "[" + name + padding + "] ", 17 bytes in CP932, so that in the fixed-pitch font
// every closing bracket stands in the same column and every detail starts in the eighteenth cell.

#include <span>

struct DetailRow {
    int column;        // the detail column asked of the shell object
    const char* label; // UTF-8, exactly as shown
};

// The rows in line order. Lines 16 and 20 carry the same label ("date taken") and differ only in
// their column.
std::span<const DetailRow> DetailRows();
