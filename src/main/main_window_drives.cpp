// The drive boxes: the mounted file systems, each panel's own selected, and the reaction to
// mounts and unmounts.
#include "frontend/frontend.h"
#include "main/main_window.h"
#include "main/panel_controller.h"

#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QTimer>

namespace {

// Enter or Esc in a drive box hands the keyboard back to the active panel's grid; the box still
// sees the key. Either, or the focus leaving the box otherwise, ends stepping through the drives.
class ReturnToGrid : public QObject {
public:
    ReturnToGrid(std::function<void()> back, std::function<void()> left, QObject* parent)
        : QObject(parent), back_(std::move(back)), left_(std::move(left)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape)
                back_();
        } else if (event->type() == QEvent::FocusOut &&
                   static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
            left_();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> back_;
    std::function<void()> left_;
};

std::string homeFolder() {
    return QDir::homePath().toStdString();
}

} // namespace

QComboBox* TForm1::driveBox(PanelSide side) {
    return side == PanelSide::Left ? ComboBox4 : ComboBox5;
}

void TForm1::startDriveWatch() {
    auto* back = new ReturnToGrid([this] { activePanel().grid().setFocus(); },
                                  [this] { steppingDriveBox_ = nullptr; }, this);
    driveKeys_ = back;
    for (const PanelSide side : {PanelSide::Left, PanelSide::Right}) {
        QComboBox* box = driveBox(side);
        box->setEnabled(true);
        box->setMaxVisibleItems(26);
        QFont bold = box->font();
        bold.setBold(true);
        box->setFont(bold);
        box->installEventFilter(back);
        // Only a user's choice lists a drive: the boxes are re-selected with signals blocked.
        connect(box, &QComboBox::activated, this, [this, side] { driveBoxClick(side); });
    }
    // A burst of mount changes needs one re-read: a change that comes while the last one still
    // waits for the GUI thread is covered by that one.
    mountWatcher_ = std::make_unique<MountWatcher>([this] {
        if (!mountChangePosted_.exchange(true))
            bridge.post([this] {
                mountChangePosted_ = false;
                mountTableChanged();
            });
    });
}

// The drive boxes outlive the members their key filter and the mount watch reach: a focused box
// loses its focus only when the widgets go, after these members.
void TForm1::stopDriveWatch() {
    mountWatcher_.reset();
    delete driveKeys_;
    driveKeys_ = nullptr;
}

void TForm1::mountTableChanged() {
    // Only a panel whose folder now lies on another mount (one appeared over it, left or moved)
    // is read again: re-reading a large folder for every mount elsewhere costs real time.
    const std::vector<MountRecord> before = std::move(mounts_);
    ReadDriveLetters();
    std::array<bool, 2> moved{};
    for (const PanelSide side : {PanelSide::Left, PanelSide::Right}) {
        const std::string path = explorer(side).GetPath();
        const MountRecord* was = mountOf(before, path);
        const MountRecord* is = mountOf(mounts_, path);
        moved[panelNumber(side) - 1] = !was || !is || !(*was == *is);
    }
    refreshPanels(moved);
}

void TForm1::ReadDriveLetters() {
    mounts_ = readMountRecords();
    std::vector<Drive> table = buildDriveTable(mounts_, systemDriveProbe());
    // Compared whole, not by count: one mount replacing another keeps the count.
    if (table != DriveLetters)
        FillDriveCombos(std::move(table));
}

void TForm1::FillDriveCombos(std::vector<Drive> table) {
    // A panel whose file system went away goes home with the next re-read. With "/" in every
    // table each path has some drive, so "gone" means the panel's drive of the last table.
    for (const PanelSide side : {PanelSide::Left, PanelSide::Right}) {
        const auto old = driveIndexOf(DriveLetters, explorer(side).GetPath());
        if (old && std::none_of(table.begin(), table.end(), [&](const Drive& drive) {
                return drive.MountPoint == DriveLetters[*old].MountPoint;
            }))
            driveLost_[panelNumber(side) - 1] = true;
    }
    DriveLetters = std::move(table);
    for (const PanelSide side : {PanelSide::Left, PanelSide::Right}) {
        QComboBox* box = driveBox(side);
        const QSignalBlocker quiet(box);
        box->clear();
        for (const Drive& drive : DriveLetters)
            box->addItem(QString::fromStdString(driveItemText(drive)));
    }
    SyncDriveCombos();
}

void TForm1::SyncDriveCombos() {
    for (const PanelSide side : {PanelSide::Left, PanelSide::Right}) {
        const std::string path = explorer(side).GetPath();
        // A panel without a folder (a medium that was not ready) starts over at home, as if
        // the user had picked that drive.
        if ((path.empty() || path == " ") && !sessionShownIn(side)) {
            explorer(side).SetPath(homeFolder());
            panel(side).setPathLabel(QString::fromStdString(homeFolder()));
            activatePanel(side);
            addToHistory(side, homeFolder());
            refreshBothPanels();
        }
        syncDriveBox(side);
    }
}

void TForm1::syncDriveBox(PanelSide side) {
    QComboBox* box = driveBox(side);
    const auto drive = driveIndexOf(DriveLetters, explorer(side).GetPath());
    const QSignalBlocker quiet(box);
    box->setCurrentIndex(drive ? static_cast<int>(*drive) : -1);
}

void TForm1::driveBoxClick(PanelSide side) {
    QComboBox* box = driveBox(side);
    const int index = box->currentIndex();
    if (index < 0 || index >= static_cast<int>(DriveLetters.size()))
        return;
    // After Select Drive the arrow keys step through the drives and the box keeps the keyboard
    // focus; a pick from the list hands it to the grid.
    const bool stepping = steppingDriveBox_ == box;
    activatePanel(side); // focuses the grid
    if (stepping) {
        box->setFocus();
        steppingDriveBox_ = box;
    }
    postFolderRead(side, DriveLetters[static_cast<std::size_t>(index)].MountPoint, "*.*", true);
}

void TForm1::Disk1Click() {
    const PanelSide side = sideOf(ActivePanel);
    if (panelsTakeCommand() && !sessionShownIn(side)) {
        driveBox(side)->setFocus();
        steppingDriveBox_ = driveBox(side);
    }
}

void TForm1::localFoldersChanged() {
    bridge.post([this] { refreshBothPanels(); });
}

void TForm1::refreshBothPanels() {
    refreshPanels({true, true});
}

void TForm1::refreshPanels(std::array<bool, 2> wanted) {
    for (std::size_t i = 0; i < wanted.size(); ++i)
        pendingRefresh_[i] = pendingRefresh_[i] || wanted[i];
    postPending();
}

void TForm1::postPending() {
    // A refresh waits for idle panels: a running command keeps its folder.
    if (panelsIdle()) {
        if (pendingRefresh_[0] || pendingRefresh_[1]) {
            for (const PanelSide side : {PanelSide::Left, PanelSide::Right}) {
                bool& lost = driveLost_[panelNumber(side) - 1];
                if (!lost)
                    continue;
                lost = false;
                explorer(side).SetPath(homeFolder());
                if (!sessionShownIn(side))
                    panel(side).setPathLabel(QString::fromStdString(homeFolder()));
            }
            cmd::RefreshPanels refresh;
            if (pendingRefresh_[0] != pendingRefresh_[1]) // one panel alone
                refresh.panel = pendingRefresh_[0] ? 1 : 2;
            if (taken(engine_->remoteCommands().post(refresh)))
                pendingRefresh_ = {};
        }
    }
    if (pendingRefresh_[0] || pendingRefresh_[1])
        pendingPostTimer_->start();
}

void TForm1::postFolderRead(PanelSide side, const std::string& path, const std::string& mask,
                            bool recordVisit) {
    // Behind a short command the read waits for it, in order with what else the user asked.
    reportPost(engine_->remoteCommands().post(
        cmd::ReadFolder{panelNumber(side), path, mask, recordVisit}));
}
