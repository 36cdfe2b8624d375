#pragma once

// What the desktop entry of a program (a .desktop file) says about starting it.

#include <QString>
#include <QStringList>

// The command line of a desktop entry's Exec value for one file: the value's escapes and
// quoting undone, %f %F %u %U replaced by the file (dropped when it is empty), %% kept as %,
// other field codes dropped; the file is appended when the value has no field code for it.
QStringList desktopEntryCommand(const QString& exec, const QString& file);

// The value of the key (Exec, Terminal) in the [Desktop Entry] group of a desktop file's text;
// empty when it has none.
QString desktopEntryValue(const QString& entryText, const QString& key);
