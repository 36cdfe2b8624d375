#pragma once

#include "local/listing/search_record.h"

#include <QAbstractTableModel>
#include <QLocale>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The rows of one panel: "[..]" first, then the folders, then the files of an immutable
// listing, with the marks and the current row. Lives on the GUI thread; the listing is
// swapped in whole.
class PanelModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // The type tag shows inside the name column; ExtColumn, hidden in the grid, gives it to
    // screen readers as a column of its own, in the place its header button has.
    enum Column {
        IconColumn,
        NameColumn,
        ExtColumn,
        SizeColumn,
        AttrColumn,
        DateColumn,
        ColumnCount
    };
    enum class RowKind { Up, Folder, File };
    enum Role { MarkedRole = Qt::UserRole + 1, KindRole };

    struct Selection {
        int files = 0;
        int folders = 0;
        std::uint64_t bytes = 0; // stops at the largest value
    };

    explicit PanelModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // The column captions the panel's header shows, for screen readers.
    void setCaptions(const QString& name, const QString& ext, const QString& size,
                     const QString& attr, const QString& date);

    // Shows another listing. Marks stay on the entries that are still there when the same folder
    // is shown again, and all go when another folder is shown. A remote listing (of an FTP
    // server) shows links as "<LNK>", Unix modes and the server's own dates. Returns the
    // listing shown before, for the caller to let go of where freeing it costs no screen time.
    std::shared_ptr<const tarvo::listing::DirectoryListing>
    setListing(std::shared_ptr<const tarvo::listing::DirectoryListing> listing, bool sameFolder,
               bool remote = false);
    bool remote() const { return remote_; }
    const tarvo::listing::DirectoryListing& listing() const { return *listing_; }

    RowKind kindOf(int row) const;
    // The listing record behind a row; none for "[..]" or a row beyond the listing.
    const tarvo::listing::SearchRecord* recordAt(int row) const;
    // The name cell: "[..]", "[folder]" or the file name.
    std::string nameCell(int row) const;
    std::string sizeCell(int row) const;
    // A folder row of a remote listing that stands for a link.
    bool isLink(int row) const;
    // Row of the folder with exactly that name, if any.
    std::optional<int> folderRow(const std::string& name) const;

    int currentRow() const { return currentRow_; }
    void setCurrentRow(int row);

    // Marks belong to entries: row 0, "[..]", never carries one.
    bool isMarked(int row) const;
    void setMarked(int row, bool marked);
    void toggleMark(int row);
    void toggleRange(int first, int last); // both ends included
    void clearMarks();
    void markAllButUp();
    void invertAllButUp();
    // Marks (or unmarks) every row whose name cell has that lower-cased extension.
    void markByExtension(const QString& extension, bool marked);
    // Marks the row when no row is marked, so that a command acts on the current entry.
    void markCurrentIfNoneMarked(int row);
    std::vector<int> markedRows() const;
    Selection selection() const;

private:
    std::shared_ptr<const tarvo::listing::DirectoryListing> listing_;
    std::vector<char> marks_;
    int currentRow_ = 0;
    bool remote_ = false;
    QLocale locale_ = QLocale::system();
    std::array<QString, ColumnCount> captions_;
};

// The letters of the type tag: the name's extension in capitals, at most four; none without
// a dot.
QString typeLetters(const QString& name);

// The extension as the mark-by-extension command compares it: from the last "." of the name
// cell to its end, lower-cased; empty without a dot.
QString markExtension(const QString& nameCell);
