#pragma once

#include <QIcon>
#include <QStyle>

// The style's standard icon for a small button (16 pixels). Where no screen has more than one
// device pixel per pixel, the button shows only the style's small picture, which is read alone:
// the icon with every size decodes each of its image files at once (about 0.4 ms an icon, at
// the start where the window's first frame waits for it).
QIcon smallStyleIcon(const QStyle& style, QStyle::StandardPixmap which);
