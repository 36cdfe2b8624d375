#pragma once

#include "local/zip_jobs/zip_view_listing.h"

#include <QAbstractListModel>

#include <memory>
#include <vector>

// The rows of an archive viewer: the archive's path, then one row per entry in the archive's
// order, with the marks and the current row. Lives on the GUI thread; the listing is made
// elsewhere and swapped in whole.
class ZipViewModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role { MarkedRole = Qt::UserRole + 1 };

    explicit ZipViewModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    void setListing(std::shared_ptr<const ZipViewListing> listing);
    const ZipViewListing& listing() const { return *listing_; }

    int currentRow() const { return currentRow_; }
    void setCurrentRow(int row) { currentRow_ = row; }

    // Marks belong to entries: row 0, the archive's path, never carries one.
    bool isMarked(int row) const;
    void toggleMark(int row);
    void toggleRange(int first, int last); // both ends included, in either order
    // The mark of entry `index` (row index + 1) goes.
    void clearEntryMark(int index);
    // The marked entries' indices, ascending.
    std::vector<int> markedEntries() const;

private:
    std::shared_ptr<const ZipViewListing> listing_;
    std::vector<char> marks_;
    int currentRow_ = 0;
};
