#include "main/zip_view_model.h"

#include <algorithm>

ZipViewModel::ZipViewModel(QObject* parent)
    : QAbstractListModel(parent), listing_(std::make_shared<ZipViewListing>()) {}

int ZipViewModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(listing_->Rows.size());
}

QVariant ZipViewModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        // The leading blanks are the tree's indent; a screen reader reads them too.
        return QString::fromStdString(listing_->Rows[static_cast<std::size_t>(index.row())]);
    case MarkedRole:
        return isMarked(index.row());
    default:
        return {};
    }
}

void ZipViewModel::setListing(std::shared_ptr<const ZipViewListing> listing) {
    beginResetModel();
    listing_ = std::move(listing);
    marks_.assign(listing_->Rows.size(), 0);
    currentRow_ = 0;
    endResetModel();
}

bool ZipViewModel::isMarked(int row) const {
    return row > 0 && row < static_cast<int>(marks_.size()) &&
           marks_[static_cast<std::size_t>(row)] != 0;
}

void ZipViewModel::toggleMark(int row) {
    if (row > 0 && row < static_cast<int>(marks_.size()))
        marks_[static_cast<std::size_t>(row)] ^= 1;
}

void ZipViewModel::toggleRange(int first, int last) {
    for (int row = std::min(first, last); row <= std::max(first, last); ++row)
        toggleMark(row);
}

void ZipViewModel::clearEntryMark(int index) {
    const int row = index + 1;
    if (row > 0 && row < static_cast<int>(marks_.size()))
        marks_[static_cast<std::size_t>(row)] = 0;
}

std::vector<int> ZipViewModel::markedEntries() const {
    std::vector<int> entries;
    for (std::size_t row = 1; row < marks_.size(); ++row)
        if (marks_[row] != 0)
            entries.push_back(static_cast<int>(row) - 1);
    return entries;
}
