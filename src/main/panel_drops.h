#pragma once

#include <QList>
#include <QUrl>

#include <string>
#include <vector>

// What the panels take from a drag and drop.

// Rows of one panel dragged onto the other; the data names the side they come from.
inline constexpr char kPanelRowsMimeType[] = "application/x-tarvo-panel-rows";

// The local paths among names dropped from other programs: file:// URLs of this host only, as
// bytes (escapes decoded whatever the encoding), without a trailing "/". Anything else, the
// root itself included (it has no name to copy under), is left out.
std::vector<std::string> localDropPaths(const QList<QUrl>& urls);
