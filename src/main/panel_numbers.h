#pragma once

// panelNumber, sideOf and otherSide sit beside PanelSide in the screen interface, where the
// FTP session uses them too; the window's files keep including them from here.
#include "frontend/frontend.h"
