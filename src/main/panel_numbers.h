#pragma once

#include "frontend/frontend.h"

// The window's fields and the commands name a panel by number: 2 left, 1 right.
inline int panelNumber(PanelSide side) {
    return side == PanelSide::Left ? 2 : 1;
}

inline PanelSide sideOf(int panelNumber) {
    return panelNumber == 2 ? PanelSide::Left : PanelSide::Right;
}

inline PanelSide otherSide(PanelSide side) {
    return side == PanelSide::Left ? PanelSide::Right : PanelSide::Left;
}
