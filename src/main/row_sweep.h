#pragma once

#include <cstdlib>

// Marking by sweeping the right or middle mouse button over a grid's rows: the row pressed and
// every row passed over toggles once; rows skipped by a fast move toggle together, and sweeping
// back toggles them again. Shared by the panels and the archive viewer.
class RowSweep {
public:
    // The button went down over `row` (-1 when over no row).
    void begin(int row) {
        active_ = true;
        if (row >= 0)
            anchor_ = row;
    }
    // The button came up, or the pointer left the grid.
    void end() {
        active_ = false;
        lastRow_ = 0;
    }
    bool active() const { return active_; }

    // The pointer is over `row` of a grid of rowCount rows; `toggle(row)` flips a row's mark.
    // True when the row is one the sweep had not just visited: it becomes the current row.
    template <class Toggle> bool moveTo(int row, int rowCount, Toggle toggle) {
        const int distance = row - anchor_;
        const int steps = std::abs(distance);
        const int direction = distance >= 0 ? 1 : -1;
        if (steps > 1) {
            // Every row from the new one back towards the anchor, the anchor itself excluded.
            if (steps < rowCount && row != lastRow_)
                for (int i = 0; i < steps; ++i)
                    toggle(row - i * direction);
            anchor_ = row;
        } else if (row != lastRow_) {
            toggle(row);
            anchor_ = row;
        }
        if (row == lastRow_)
            return false;
        lastRow_ = row;
        return true;
    }

private:
    bool active_ = false;
    int anchor_ = 0;
    int lastRow_ = 0;
};
