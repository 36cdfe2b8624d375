#pragma once

#include <QIcon>

// The program's icon, drawn here: two panes side by side.
QIcon appIcon();
