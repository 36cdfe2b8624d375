#pragma once

#include "frontend/frontend.h"
#include "main/window_context.h"
#include "platform/mount_table.h"
#include "platform/mount_watcher.h"

#include <QObject>

#include <array>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

class QComboBox;
class QTimer;

// The drive boxes over the panels: the mounted file systems, each panel's own selected, and
// the reaction to mounts and unmounts. Also the re-reads of the panels that wait until no
// command holds them (after a mount change, or when a local folder they may show changed), and
// the reading of a folder into a panel.
class DriveBoxes : public QObject {
public:
    explicit DriveBoxes(const WindowContext& context);
    // The drive boxes outlive this: their key filter and the mount watch go with it.
    ~DriveBoxes() override;

    // Reads the mount table and lists its drives, if they changed.
    void ReadDriveLetters();
    // Selects the panel's drive in its box.
    void syncDriveBox(PanelSide side);
    void driveBoxClick(PanelSide side); // ComboBox4Click / ComboBox5Click
    void refreshBothPanels();
    // Reads the folder into the panel; behind a short command the read waits for it, in order
    // with what else the user asked.
    void postFolderRead(PanelSide side, const std::string& path, const std::string& mask,
                        bool recordVisit);

private:
    void mountTableChanged();
    void FillDriveCombos(std::vector<Drive> table);
    void SyncDriveCombos();
    QComboBox* driveBox(PanelSide side);
    void Disk1Click();
    void refreshPanels(std::array<bool, 2> wanted); // [panel number - 1]
    void postPending();

    const WindowContext& context_;
    std::vector<Drive> DriveLetters;        // the drives the boxes list, in their order
    std::vector<MountRecord> mounts_;       // the mount table DriveLetters was built from
    std::array<bool, 2> driveLost_{};       // [panel number - 1]: its file system went away
    QComboBox* steppingDriveBox_ = nullptr; // focused by Select Drive, until the focus leaves
    std::array<bool, 2> pendingRefresh_{};  // [panel number - 1]
    QTimer* pendingPostTimer_ = nullptr;
    std::atomic<bool> mountChangePosted_{false};
    std::unique_ptr<MountWatcher> mountWatcher_; // last: its thread reaches the members above
};
