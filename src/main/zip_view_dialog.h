#pragma once

#include "main/row_sweep.h"
#include "main/zip_view_model.h"

#include <QDialog>
#include <QIcon>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class QLabel;
class QProgressBar;
class QTableView;
class QToolButton;

// What the archive viewer takes from the program around it.
struct ZipViewEnvironment {
    std::function<std::string(const std::string& key)> translate;
    // The icon drawn before a row, by the row's text.
    std::function<QIcon(const QString& rowText)> icon;
};

// The archive viewer: the entries of one archive as an indented tree, with the totals and the
// compression ratio; the mouse marks entries (right or middle button sweeps, Shift+click
// ranges) for Unpack. It is not modal, and it is deleted when closed (Esc closes it). The
// archive is listed on a thread of its own, so the window shows at once.
class TOKRightDlg1234 : public QDialog {
    Q_OBJECT
public:
    TOKRightDlg1234(QWidget* owner, std::string archivePath, ZipViewEnvironment environment);
    ~TOKRightDlg1234() override;

    const std::string& archivePath() const { return archivePath_; }
    ZipViewModel& model() { return model_; }
    bool isListed() const { return listed_; }
    // The archive file as it was listed; none before the listing or when it is no archive.
    const std::optional<tarvo::zip::FileStamp>& listedArchive() const { return listedArchive_; }
    std::vector<int> markedEntries() const { return model_.markedEntries(); }
    // An unpack has taken the entry: its mark goes.
    void clearEntryMark(int index);

signals:
    void unpackRequested(); // the Unpack button
    void listed();          // the archive's listing is shown

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    // Shows the listing the listing thread finished.
    void showFinishedListing();

private:
    void buildWidgets();
    void makeCurrent(int row);
    void sweepTo(int row);

    const std::string archivePath_;
    const ZipViewEnvironment environment_;
    QLabel* Label1 = nullptr; // files
    QToolButton* SpeedButton1 = nullptr;
    QLabel* Label2 = nullptr;       // compression ratio
    QProgressBar* Image3 = nullptr; // the ratio as a bar
    QTableView* StringGrid1 = nullptr;
    ZipViewModel model_;
    RowSweep sweep_;
    bool listed_ = false;
    std::optional<tarvo::zip::FileStamp> listedArchive_;
    std::mutex finishedMutex_;
    std::shared_ptr<const ZipViewListing> finished_; // from the listing thread to the screen
    std::jthread lister_; // last: stopped and joined before anything above goes
};
