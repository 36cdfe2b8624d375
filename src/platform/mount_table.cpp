#include "platform/mount_table.h"

#include "platform/posix/path.h"
#include "platform/program_folder.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace {

constexpr std::array<std::string_view, 20> kPseudoFileSystems{
    "proc",      "sysfs",   "cgroup",      "cgroup2",  "devpts", "devtmpfs",  "mqueue",
    "debugfs",   "tracefs", "securityfs",  "pstore",   "bpf",    "configfs",  "fusectl",
    "hugetlbfs", "autofs",  "binfmt_misc", "efivarfs", "nsfs",   "rpc_pipefs"};

constexpr std::array<std::string_view, 10> kNetworkFileSystems{
    "nfs", "nfs4", "cifs", "smb3", "fuse.sshfs", "9p", "ceph", "glusterfs", "davfs", "afs"};

// Folders of the system's own machinery, never a place for files of the user's.
constexpr std::array<std::string_view, 5> kSystemFolders{"/proc", "/sys", "/dev", "/run",
                                                         "/var/lib/docker"};

template <std::size_t N>
bool isOneOf(std::string_view value, const std::array<std::string_view, N>& list) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

bool isNetwork(std::string_view type) {
    // FUSE file systems report "fuse." + the name of their helper.
    if (type.starts_with("fuse."))
        return isOneOf(type, kNetworkFileSystems) || isOneOf(type.substr(5), kNetworkFileSystems);
    return isOneOf(type, kNetworkFileSystems);
}

// The kernel writes space, tab, newline and backslash in names as "\" + three octal digits.
std::string decodeEscapes(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        const auto isOctal = [](char c) { return c >= '0' && c <= '7'; };
        if (field[i] == '\\' && i + 3 < field.size() && isOctal(field[i + 1]) &&
            isOctal(field[i + 2]) && isOctal(field[i + 3])) {
            out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                     (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

std::vector<std::string_view> splitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (start < line.size()) {
        const std::size_t end = std::min(line.find(' ', start), line.size());
        if (end > start)
            fields.push_back(line.substr(start, end - start));
        start = end + 1;
    }
    return fields;
}

std::optional<MountRecord> parseLine(std::string_view line) {
    // id parent major:minor root mount-point options [optional fields...] - type source super
    const std::vector<std::string_view> fields = splitFields(line);
    if (fields.size() < 10)
        return std::nullopt;
    const auto separator = std::find(fields.begin() + 6, fields.end(), "-");
    if (separator == fields.end() || fields.end() - separator < 3)
        return std::nullopt;
    MountRecord record;
    record.Id = static_cast<unsigned>(std::strtoul(std::string(fields[0]).c_str(), nullptr, 10));
    const std::string device(fields[2]);
    char* end = nullptr;
    record.Major = static_cast<unsigned>(std::strtoul(device.c_str(), &end, 10));
    if (end == nullptr || *end != ':')
        return std::nullopt;
    record.Minor = static_cast<unsigned>(std::strtoul(end + 1, nullptr, 10));
    record.MountPoint = decodeEscapes(fields[4]);
    record.FsType = decodeEscapes(separator[1]);
    record.Source = decodeEscapes(separator[2]);
    if (record.MountPoint.empty() || record.MountPoint.front() != '/')
        return std::nullopt;
    return record;
}

bool isBrowsable(const MountRecord& record) {
    if (record.MountPoint == "/")
        return true;
    if (isOneOf(record.FsType, kPseudoFileSystems))
        return false;
    if (record.FsType == "squashfs" && isWithin(record.MountPoint, "/snap"))
        return false;
    return std::none_of(kSystemFolders.begin(), kSystemFolders.end(), [&](std::string_view folder) {
        return isWithin(record.MountPoint, folder);
    });
}

DriveKind kindOf(const MountRecord& record, const DriveProbe& probe) {
    if (isNetwork(record.FsType))
        return DriveKind::Network;
    if (record.FsType == "iso9660" || record.FsType == "udf")
        return DriveKind::Optical;
    if (record.FsType == "tmpfs" || record.FsType == "ramfs")
        return DriveKind::Ram;
    return probe.blockDeviceKind ? probe.blockDeviceKind(record.Major, record.Minor, record.Source)
                                 : DriveKind::Fixed;
}

// Asking a network or FUSE file system about its root may wait on a server or a helper process
// that does not answer: such mounts are taken to be folders.
bool mayBeProbed(const MountRecord& record) {
    return record.MountPoint != "/" && !isNetwork(record.FsType) &&
           !record.FsType.starts_with("fuse");
}

std::string realPath(const std::string& path) {
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : std::string();
}

bool flagIsSet(const std::string& file) {
    std::ifstream in(file);
    char c = 0;
    return in.get(c) && c == '1';
}

// The /sys folder of a block device: by its numbers, or by the device its source names.
std::string sysFolderOf(unsigned major, unsigned minor, const std::string& source) {
    if (major != 0) {
        const std::string byNumber =
            realPath("/sys/dev/block/" + std::to_string(major) + ":" + std::to_string(minor));
        if (!byNumber.empty())
            return byNumber;
    }
    if (!source.starts_with("/dev/"))
        return {};
    const std::string device = realPath(source);
    return device.empty() ? std::string() : realPath("/sys/class/block/" + nameOf(device));
}

DriveKind systemBlockDeviceKind(unsigned major, unsigned minor, const std::string& source) {
    const std::string folder = sysFolderOf(major, minor, source);
    if (folder.empty())
        return DriveKind::Fixed;
    if (nameOf(folder).starts_with("sr"))
        return DriveKind::Optical;
    if (folder.find("/usb") != std::string::npos || flagIsSet(folder + "/removable"))
        return DriveKind::Removable;
    // A partition: whether its disk is removable.
    struct stat status {};
    if (::stat((folder + "/partition").c_str(), &status) == 0 &&
        flagIsSet(folderOf(folder) + "/removable"))
        return DriveKind::Removable;
    return DriveKind::Fixed;
}

bool systemIsDirectory(const std::string& path) {
    struct statx status {};
    const int flags = AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT | AT_STATX_DONT_SYNC;
    return ::statx(AT_FDCWD, path.c_str(), flags, STATX_TYPE, &status) == 0 &&
           S_ISDIR(status.stx_mode);
}

} // namespace

std::vector<MountRecord> parseMountInfo(std::string_view text) {
    std::vector<MountRecord> records;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        if (auto record = parseLine(text.substr(start, end - start)))
            records.push_back(std::move(*record));
        start = end + 1;
    }
    return records;
}

std::vector<Drive> buildDriveTable(const std::vector<MountRecord>& records,
                                   const DriveProbe& probe) {
    std::vector<const MountRecord*> shown;
    for (const MountRecord& record : records) {
        if (!isBrowsable(record))
            continue;
        // A later mount over the same point hides the earlier one.
        std::erase_if(shown, [&](const MountRecord* earlier) {
            return earlier->MountPoint == record.MountPoint;
        });
        shown.push_back(&record);
    }
    std::vector<Drive> table;
    for (const MountRecord* record : shown) {
        if (mayBeProbed(*record) && probe.isDirectory && !probe.isDirectory(record->MountPoint))
            continue;
        table.push_back({record->MountPoint, kindOf(*record, probe)});
    }
    // In a chroot the root is a plain folder with no record of its own; every path still needs
    // a drive.
    if (std::none_of(table.begin(), table.end(),
                     [](const Drive& drive) { return drive.MountPoint == "/"; }))
        table.insert(table.begin(), Drive{"/", DriveKind::Fixed});
    return table;
}

DriveProbe systemDriveProbe() {
    return {systemIsDirectory, systemBlockDeviceKind};
}

std::vector<MountRecord> readMountRecords() {
    std::ifstream file("/proc/self/mountinfo");
    std::stringstream text;
    text << file.rdbuf();
    return parseMountInfo(text.str());
}

std::vector<Drive> readDriveTable() {
    return buildDriveTable(readMountRecords(), systemDriveProbe());
}

std::string driveLabel(DriveKind kind) {
    switch (kind) {
    case DriveKind::Removable:
        return " RD";
    case DriveKind::Network:
        return " Net";
    case DriveKind::Optical:
        return " CD";
    case DriveKind::Ram:
        return " Ram";
    case DriveKind::Fixed:
        break;
    }
    return {};
}

std::string driveItemText(const Drive& drive) {
    return "[-" + drive.MountPoint + "-]" + driveLabel(drive.Kind);
}

std::optional<std::size_t> driveIndexOf(const std::vector<Drive>& table, std::string_view path) {
    std::optional<std::size_t> best;
    for (std::size_t i = 0; i < table.size(); ++i) {
        const std::string& point = table[i].MountPoint;
        if (isWithin(path, point) && (!best || point.size() > table[*best].MountPoint.size()))
            best = i;
    }
    return best;
}

const MountRecord* mountOf(const std::vector<MountRecord>& records, std::string_view path) {
    const MountRecord* best = nullptr;
    for (const MountRecord& record : records)
        if (isWithin(path, record.MountPoint) &&
            (!best || record.MountPoint.size() >= best->MountPoint.size()))
            best = &record;
    return best;
}
