#include "main/panel_model.h"

#include "ftp/remote_listing.h"
#include "local/listing/cell_text.h"
#include "platform/byte_total.h"

#include <algorithm>
#include <unordered_set>

namespace listing = tarvo::listing;

PanelModel::PanelModel(QObject* parent)
    : QAbstractTableModel(parent), listing_(std::make_shared<listing::DirectoryListing>()),
      marks_(1, 0) {}

int PanelModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid())
        return 0;
    return 1 + static_cast<int>(listing_->Dirs.size() + listing_->Files.size());
}

int PanelModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

PanelModel::RowKind PanelModel::kindOf(int row) const {
    if (row <= 0)
        return RowKind::Up;
    return row <= static_cast<int>(listing_->Dirs.size()) ? RowKind::Folder : RowKind::File;
}

const listing::SearchRecord* PanelModel::recordAt(int row) const {
    const int dirs = static_cast<int>(listing_->Dirs.size());
    if (row < 1)
        return nullptr;
    if (row <= dirs)
        return &listing_->Dirs[static_cast<std::size_t>(row - 1)];
    const int file = row - dirs - 1;
    if (file < static_cast<int>(listing_->Files.size()))
        return &listing_->Files[static_cast<std::size_t>(file)];
    return nullptr;
}

std::string PanelModel::nameCell(int row) const {
    const listing::SearchRecord* record = recordAt(row);
    if (record == nullptr)
        return row == 0 ? "[..]" : "";
    return kindOf(row) == RowKind::Folder ? "[" + record->Name + "]" : record->Name;
}

bool PanelModel::isLink(int row) const {
    const listing::SearchRecord* record = recordAt(row);
    return remote_ && record != nullptr && kindOf(row) == RowKind::Folder && record->IsSymlink;
}

std::string PanelModel::sizeCell(int row) const {
    if (kindOf(row) != RowKind::File)
        return isLink(row) ? "<LNK>" : "<DIR>";
    const listing::SearchRecord* record = recordAt(row);
    return record ? listing::sizeText(record->Size) : "";
}

std::optional<int> PanelModel::folderRow(const std::string& name) const {
    const auto& dirs = listing_->Dirs;
    const auto found = std::find_if(dirs.begin(), dirs.end(),
                                    [&](const listing::SearchRecord& d) { return d.Name == name; });
    if (found == dirs.end())
        return std::nullopt;
    return static_cast<int>(found - dirs.begin()) + 1;
}

QVariant PanelModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const int row = index.row();
    if (role == MarkedRole)
        return isMarked(row);
    if (role == KindRole)
        return static_cast<int>(kindOf(row));
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)
        return {};
    const listing::SearchRecord* record = recordAt(row);
    switch (index.column()) {
    case NameColumn:
        return QString::fromStdString(nameCell(row));
    case SizeColumn:
        return QString::fromStdString(sizeCell(row));
    case AttrColumn:
        if (record == nullptr) // "[..]": nothing is drawn there, nor read out
            return {};
        if (remote_)
            return QString::number(remoteAttributeNumber(*record));
        return QString::fromStdString(listing::attributeText(record->Attr));
    case DateColumn:
        if (record == nullptr)
            return {};
        if (remote_)
            return listing::serverDateText(record->Time, kUnknownRemoteTime, locale_);
        return listing::dateText(record->Time, locale_);
    case ExtColumn:
        if (kindOf(row) != RowKind::File)
            return {};
        return typeLetters(QString::fromStdString(nameCell(row)));
    default:
        return {};
    }
}

QVariant PanelModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= ColumnCount)
        return {};
    return captions_[static_cast<std::size_t>(section)];
}

void PanelModel::setCaptions(const QString& name, const QString& ext, const QString& size,
                             const QString& attr, const QString& date) {
    captions_[NameColumn] = name;
    captions_[ExtColumn] = ext;
    captions_[SizeColumn] = size;
    captions_[AttrColumn] = attr;
    captions_[DateColumn] = date;
    emit headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
}

QString typeLetters(const QString& name) {
    const int dot = static_cast<int>(name.lastIndexOf(u'.'));
    return dot < 0 ? QString() : name.mid(dot + 1).toUpper().left(4);
}

std::shared_ptr<const listing::DirectoryListing>
PanelModel::setListing(std::shared_ptr<const listing::DirectoryListing> listing, bool sameFolder,
                       bool remote) {
    std::unordered_set<std::string> keptNames;
    if (sameFolder)
        for (const int row : markedRows())
            keptNames.insert(nameCell(row));
    beginResetModel();
    std::swap(listing_, listing);
    remote_ = remote;
    marks_.assign(static_cast<std::size_t>(rowCount()), 0);
    if (!keptNames.empty())
        for (int row = 0; row < rowCount(); ++row)
            if (keptNames.count(nameCell(row)))
                marks_[static_cast<std::size_t>(row)] = 1;
    currentRow_ = std::clamp(currentRow_, 0, rowCount() - 1);
    endResetModel();
    return listing;
}

void PanelModel::setCurrentRow(int row) {
    currentRow_ = std::clamp(row, 0, rowCount() - 1);
}

bool PanelModel::isMarked(int row) const {
    return row >= 0 && row < static_cast<int>(marks_.size()) &&
           marks_[static_cast<std::size_t>(row)];
}

void PanelModel::setMarked(int row, bool marked) {
    // "[..]" is never marked: a command on the marked rows would act on the parent folder.
    if (row > 0 && row < static_cast<int>(marks_.size()))
        marks_[static_cast<std::size_t>(row)] = marked ? 1 : 0;
}

void PanelModel::toggleMark(int row) {
    setMarked(row, !isMarked(row));
}

void PanelModel::toggleRange(int first, int last) {
    const int from = std::min(first, last);
    const int to = std::max(first, last);
    if (from < 0 || to >= static_cast<int>(marks_.size()))
        return;
    for (int row = from; row <= to; ++row)
        toggleMark(row);
}

void PanelModel::clearMarks() {
    std::fill(marks_.begin(), marks_.end(), 0);
}

void PanelModel::markAllButUp() {
    std::fill(marks_.begin() + 1, marks_.end(), 1);
}

void PanelModel::invertAllButUp() {
    for (std::size_t row = 1; row < marks_.size(); ++row)
        marks_[row] = marks_[row] ? 0 : 1;
}

void PanelModel::markByExtension(const QString& extension, bool marked) {
    for (int row = 1; row < rowCount(); ++row)
        if (markExtension(QString::fromStdString(nameCell(row))) == extension)
            setMarked(row, marked);
}

void PanelModel::markCurrentIfNoneMarked(int row) {
    if (markedRows().empty())
        setMarked(row, true);
}

std::vector<int> PanelModel::markedRows() const {
    std::vector<int> rows;
    for (std::size_t row = 0; row < marks_.size(); ++row)
        if (marks_[row])
            rows.push_back(static_cast<int>(row));
    return rows;
}

PanelModel::Selection PanelModel::selection() const {
    Selection totals;
    for (const int row : markedRows()) {
        if (kindOf(row) == RowKind::File) {
            ++totals.files;
            if (const listing::SearchRecord* record = recordAt(row))
                totals.bytes = addBytes(totals.bytes, record->Size);
        } else {
            ++totals.folders;
        }
    }
    return totals;
}

QString markExtension(const QString& nameCell) {
    const int dot = nameCell.lastIndexOf(u'.');
    if (dot < 0)
        return {};
    const QString extension = nameCell.mid(dot);
    if (extension.contains(u'\\') || extension.contains(u':'))
        return {};
    return extension.toLower();
}
