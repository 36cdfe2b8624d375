#include "main/drive_boxes.h"

#include "app/engine.h"
#include "main/command_gate.h"
#include "main/panel_controller.h"
#include "main/panel_pair.h"
#include "platform/ui_bridge.h"

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

DriveBoxes::DriveBoxes(const WindowContext& context) : context_(context) {
    pendingPostTimer_ = new QTimer(this);
    pendingPostTimer_->setSingleShot(true);
    pendingPostTimer_->setInterval(TMonThreadH::kPass);
    connect(pendingPostTimer_, &QTimer::timeout, this, &DriveBoxes::postPending);
    context_.connectAction(
        this, "Disk1", [this] { Disk1Click(); }, QKeySequence(Qt::CTRL | Qt::Key_D));
    auto* back = new ReturnToGrid([this] { context_.panels.focusActiveGrid(); },
                                  [this] { steppingDriveBox_ = nullptr; }, this);
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
            context_.bridge.post([this] {
                mountChangePosted_ = false;
                mountTableChanged();
            });
    });
}

DriveBoxes::~DriveBoxes() = default;

QComboBox* DriveBoxes::driveBox(PanelSide side) {
    return context_.panels.panel(side).widgets().driveBox;
}

void DriveBoxes::mountTableChanged() {
    // Only a panel whose folder now lies on another mount (one appeared over it, left or moved)
    // is read again: re-reading a large folder for every mount elsewhere costs real time.
    const std::vector<MountRecord> before = std::move(mounts_);
    ReadDriveLetters();
    std::array<bool, 2> moved{};
    for (const PanelSide side : {PanelSide::Left, PanelSide::Right}) {
        const std::string path = context_.engine.explorer(side).GetPath();
        const MountRecord* was = mountOf(before, path);
        const MountRecord* is = mountOf(mounts_, path);
        moved[panelNumber(side) - 1] = !was || !is || !(*was == *is);
    }
    refreshPanels(moved);
}

void DriveBoxes::ReadDriveLetters() {
    mounts_ = readMountRecords();
    std::vector<Drive> table = buildDriveTable(mounts_, systemDriveProbe());
    // Compared whole, not by count: one mount replacing another keeps the count.
    if (table != DriveLetters)
        FillDriveCombos(std::move(table));
}

void DriveBoxes::FillDriveCombos(std::vector<Drive> table) {
    // A panel whose file system went away goes home with the next re-read. With "/" in every
    // table each path has some drive, so "gone" means the panel's drive of the last table.
    for (const PanelSide side : {PanelSide::Left, PanelSide::Right}) {
        const auto old = driveIndexOf(DriveLetters, context_.engine.explorer(side).GetPath());
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

void DriveBoxes::SyncDriveCombos() {
    for (const PanelSide side : {PanelSide::Left, PanelSide::Right}) {
        const std::string path = context_.engine.explorer(side).GetPath();
        // A panel without a folder (a medium that was not ready) starts over at home, as if
        // the user had picked that drive.
        if ((path.empty() || path == " ") && !context_.engine.sessionShownIn(side)) {
            context_.engine.explorer(side).SetPath(homeFolder());
            context_.panels.panel(side).setPathLabel(QString::fromStdString(homeFolder()));
            context_.panels.activate(side);
            context_.engine.navigation().recordVisit(side, homeFolder());
            refreshBothPanels();
        }
        syncDriveBox(side);
    }
}

void DriveBoxes::syncDriveBox(PanelSide side) {
    QComboBox* box = driveBox(side);
    const auto drive = driveIndexOf(DriveLetters, context_.engine.explorer(side).GetPath());
    const QSignalBlocker quiet(box);
    box->setCurrentIndex(drive ? static_cast<int>(*drive) : -1);
}

void DriveBoxes::driveBoxClick(PanelSide side) {
    QComboBox* box = driveBox(side);
    const int index = box->currentIndex();
    if (index < 0 || index >= static_cast<int>(DriveLetters.size()))
        return;
    // After Select Drive the arrow keys step through the drives and the box keeps the keyboard
    // focus; a pick from the list hands it to the grid.
    const bool stepping = steppingDriveBox_ == box;
    context_.panels.activate(side); // focuses the grid
    if (stepping) {
        box->setFocus();
        steppingDriveBox_ = box;
    }
    postFolderRead(side, DriveLetters[static_cast<std::size_t>(index)].MountPoint, "*.*", true);
}

void DriveBoxes::Disk1Click() {
    const PanelSide side = context_.panels.activeSide();
    if (context_.gate.take() && !context_.engine.sessionShownIn(side)) {
        driveBox(side)->setFocus();
        steppingDriveBox_ = driveBox(side);
    }
}

void DriveBoxes::refreshBothPanels() {
    refreshPanels({true, true});
}

void DriveBoxes::refreshPanels(std::array<bool, 2> wanted) {
    for (std::size_t i = 0; i < wanted.size(); ++i)
        pendingRefresh_[i] = pendingRefresh_[i] || wanted[i];
    postPending();
}

void DriveBoxes::postPending() {
    // A refresh waits for idle panels: a running command keeps its folder.
    if (context_.panels.idle()) {
        if (pendingRefresh_[0] || pendingRefresh_[1]) {
            for (const PanelSide side : {PanelSide::Left, PanelSide::Right}) {
                bool& lost = driveLost_[panelNumber(side) - 1];
                if (!lost)
                    continue;
                lost = false;
                context_.engine.explorer(side).SetPath(homeFolder());
                if (!context_.engine.sessionShownIn(side))
                    context_.panels.panel(side).setPathLabel(QString::fromStdString(homeFolder()));
            }
            cmd::RefreshPanels refresh;
            if (pendingRefresh_[0] != pendingRefresh_[1]) // one panel alone
                refresh.panel = pendingRefresh_[0] ? 1 : 2;
            if (taken(context_.engine.remoteCommands().post(refresh)))
                pendingRefresh_ = {};
        }
    }
    if (pendingRefresh_[0] || pendingRefresh_[1])
        pendingPostTimer_->start();
}

void DriveBoxes::postFolderRead(PanelSide side, const std::string& path, const std::string& mask,
                                bool recordVisit) {
    // Behind a short command the read waits for it, in order with what else the user asked.
    context_.gate.report(context_.engine.remoteCommands().post(
        cmd::ReadFolder{panelNumber(side), path, mask, recordVisit}));
}
