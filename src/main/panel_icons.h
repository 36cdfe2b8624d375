#pragma once

#include <QIcon>
#include <QString>

#include <deque>
#include <optional>
#include <vector>

// One icon looked up for a file type in "All" mode, kept for the rest of the run.
struct IconCollection {
    QString Key; // "." + the lower-cased extension with its dot ("..txt"), "." without one
    QIcon Icon;  // null when the theme has none: the image list stands in
};

// The icons of the panel rows. "Standard" mode draws from the program's own image list by row
// kind and extension; "All" mode asks the desktop's icon theme for each file type's icon and
// falls back to the image list where the theme has none.
class PanelIcons {
public:
    enum class Kind { Up, Folder, Link, File };

    PanelIcons();

    const QIcon& icon(Kind kind, const QString& name, bool standardMode);

    // Index into the image list for a row (the "Standard" choice).
    static int imageIndex(Kind kind, const QString& name);
    // Index into the image list for a row of the archive viewer by its text: a folder entry (or
    // the archive's path, row 0) shows a folder, a file the picture of its extension.
    static int archiveRowImage(const QString& rowText);
    // Looked up in the theme on first use: a window shows a few of the 25 images at start.
    const QIcon& image(int index) const;
    // The type key of a file name in "All" mode.
    static QString typeKey(const QString& name);

private:
    const QIcon* themeIcon(const QString& key);

    mutable std::vector<std::optional<QIcon>> ImageList1;
    std::deque<IconCollection> IconCache; // a deque: icons handed out stay where they are
};
