#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The mounted file systems a user can browse, in the order the kernel lists them: the drives
// of the drive boxes. A panel's drive is the file system its folder lies on.

// One record of /proc/self/mountinfo with its escapes decoded.
struct MountRecord {
    unsigned Id = 0; // unique among the mounts present at one time
    unsigned Major = 0;
    unsigned Minor = 0;
    std::string MountPoint;
    std::string FsType;
    std::string Source;

    bool operator==(const MountRecord&) const = default;
};

// Records in file order; a line that does not have the kernel's layout is skipped.
std::vector<MountRecord> parseMountInfo(std::string_view text);

enum class DriveKind { Fixed, Removable, Network, Optical, Ram };

struct Drive {
    std::string MountPoint;
    DriveKind Kind = DriveKind::Fixed;

    bool operator==(const Drive&) const = default;
};

// What the drive table asks of the machine besides the mount records.
struct DriveProbe {
    // The mount point is a folder (a file bind-mounted over a file is no place to browse).
    std::function<bool(const std::string& mountPoint)> isDirectory;
    // Removable, Optical or Fixed for the block device with these numbers (or named by source,
    // for file systems that report an anonymous device, such as btrfs).
    std::function<DriveKind(unsigned major, unsigned minor, const std::string& source)>
        blockDeviceKind;
};

// The browsable mounts: pseudo file systems, snap images and everything under /proc, /sys,
// /dev, /run and /var/lib/docker left out; a mount point mounted over again counts once, at
// its last record; "/" always stays, and heads the table even where it is no mount point (a
// chroot).
std::vector<Drive> buildDriveTable(const std::vector<MountRecord>& records,
                                   const DriveProbe& probe);

// The probe of this machine: statx without touching network file systems, kinds from /sys.
DriveProbe systemDriveProbe();

// The records of this process's mounts now.
std::vector<MountRecord> readMountRecords();

// The table of this process's mounts now.
std::vector<Drive> readDriveTable();

// The label a drive box shows after the mount point: " RD", " Net", " CD", " Ram" or nothing.
std::string driveLabel(DriveKind kind);

// "[-" + mount point + "-]" + label.
std::string driveItemText(const Drive& drive);

// The drive of path: the longest mount point that is a prefix of it by whole components
// ("/mnt/a" is not the drive of "/mnt/ab"). None for a path that is not absolute.
std::optional<std::size_t> driveIndexOf(const std::vector<Drive>& table, std::string_view path);

// The mount that holds path: the record of the longest mount point that is a prefix of it by
// whole components, the last of several at that point (the one mounted over the others). None
// for a path that is not absolute.
const MountRecord* mountOf(const std::vector<MountRecord>& records, std::string_view path);
