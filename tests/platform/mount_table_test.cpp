#include "platform/mount_table.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

// A container's table: an overlay root, files bind-mounted over /etc, the kernel's own file
// systems, a stick with a blank in its label, a network share, a snap image, a stacked mount.
constexpr std::string_view kMountInfo =
    "22 27 0:21 / /proc rw,relatime - proc proc rw\n"
    "27 1 0:50 / / rw,relatime shared:1 - overlay overlay rw,lowerdir=/l,upperdir=/u\n"
    "23 27 0:22 / /sys rw,relatime - sysfs sysfs rw\n"
    "24 27 0:6 / /dev rw,relatime - devtmpfs devtmpfs rw,mode=755\n"
    "31 27 254:0 /docker/hosts /etc/hosts rw - ext4 /dev/vda rw\n"
    "41 27 0:38 / /sys/fs/cgroup/unified rw - cgroup2 cgroup2 rw\n"
    "50 27 8:17 / /media/ann/MY\\040STICK rw,nosuid shared:7 master:2 - vfat /dev/sdb1 rw\n"
    "51 27 0:60 / /mnt/nas rw - nfs4 srv:/export rw\n"
    "52 27 7:3 / /snap/core/1 ro - squashfs /dev/loop3 ro\n"
    "53 27 0:61 / /tmp rw - tmpfs tmpfs rw\n"
    "54 27 8:1 / /data rw - ext4 /dev/sda1 rw\n"
    "55 27 0:62 / /run/user/1000 rw - tmpfs tmpfs rw\n"
    "56 27 0:63 / /var/lib/docker/overlay2/x/merged rw - overlay overlay rw\n"
    "57 27 0:64 / /mnt/a\\011b\\012c\\134d rw - ext4 /dev/sdc1 rw\n"
    "58 27 11:0 / /media/cdrom ro - iso9660 /dev/sr0 ro\n"
    "59 54 0:65 / /data rw - tmpfs tmpfs rw\n"
    "60 27 0:66 / /mnt/share rw - fuse.sshfs ann@host:/ rw\n"
    "garbage line\n"
    "61 27 0:67 / /mnt/broken rw -\n";

DriveProbe fakeProbe() {
    return {[](const std::string& point) { return point != "/etc/hosts"; },
            [](unsigned major, unsigned, const std::string& source) {
                if (source == "/dev/sdb1")
                    return DriveKind::Removable;
                return major == 11 ? DriveKind::Optical : DriveKind::Fixed;
            }};
}

TEST(MountTable, ParsesTheKernelsLayoutAndDecodesEscapes) {
    const std::vector<MountRecord> records = parseMountInfo(kMountInfo);
    ASSERT_EQ(records.size(), 17u) << "the two lines without the kernel's layout are skipped";
    // Optional fields before the separator are skipped.
    const MountRecord& stick = records[6];
    EXPECT_EQ(
        std::tie(stick.Id, stick.MountPoint, stick.FsType, stick.Source, stick.Major, stick.Minor,
                 records[13].MountPoint),
        std::tuple(50u, "/media/ann/MY STICK", "vfat", "/dev/sdb1", 8u, 17u, "/mnt/a\tb\nc\\d"));
    // The mount holding a path: of two at one point, the later is on top.
    for (const auto& [path, id] :
         {std::pair{"/data/x", 59u}, {"/media/ann/MY STICK/f", 50u}, {"/etc", 27u}})
        EXPECT_EQ(mountOf(records, path)->Id, id) << path;
    EXPECT_EQ(mountOf(records, "relative"), nullptr);
}

TEST(MountTable, KeepsWhatAUserBrowsesInTheKernelsOrderAndTheRootWhateverItIs) {
    const std::vector<Drive> table = buildDriveTable(parseMountInfo(kMountInfo), fakeProbe());
    const std::vector<Drive> expected{
        {"/", DriveKind::Fixed},
        {"/media/ann/MY STICK", DriveKind::Removable},
        {"/mnt/nas", DriveKind::Network},
        {"/tmp", DriveKind::Ram},
        {"/mnt/a\tb\nc\\d", DriveKind::Fixed},
        {"/media/cdrom", DriveKind::Optical},
        {"/data", DriveKind::Ram}, // mounted over the disk: the last record counts, where it is
        {"/mnt/share", DriveKind::Network},
    };
    EXPECT_EQ(table, expected);

    const std::vector<Drive> rootOnly =
        buildDriveTable(parseMountInfo("1 0 0:5 / / rw - proc none rw\n"),
                        {[](const std::string&) { return false; }, {}});
    EXPECT_EQ(rootOnly, (std::vector<Drive>{{"/", DriveKind::Fixed}})) << "the root stays";
    const std::vector<Drive> chroot =
        buildDriveTable(parseMountInfo("2 1 8:1 / /data rw - ext4 /dev/sda1 rw\n"), {});
    EXPECT_EQ(chroot, (std::vector<Drive>{{"/", DriveKind::Fixed}, {"/data", DriveKind::Fixed}}))
        << "a root that is no mount point (a chroot) is a drive all the same";
}

TEST(MountTable, APathsDriveIsTheLongestMountPointByWholeComponents) {
    const std::vector<Drive> table{{"/", DriveKind::Fixed},
                                   {"/mnt/a", DriveKind::Fixed},
                                   {"/mnt/a/b", DriveKind::Ram},
                                   {"/home", DriveKind::Fixed}};
    const std::pair<std::string, std::optional<std::size_t>> cases[] = {
        {"/", 0},          {"/mnt", 0},      {"/mnt/a", 1}, {"/mnt/ab", 0}, {"/mnt/a/c", 1},
        {"/mnt/a/b/c", 2}, {"/home/ann", 3}, {"/homer", 0}, {"", {}},       {" ", {}}};
    for (const auto& [path, drive] : cases)
        EXPECT_EQ(driveIndexOf(table, path), drive) << "\"" << path << "\"";
}

TEST(MountTable, ThisMachinesTableHoldsTheRoot) {
    const std::vector<Drive> table = readDriveTable();
    ASSERT_FALSE(table.empty());
    EXPECT_EQ(driveIndexOf(table, "/proc/self"), driveIndexOf(table, "/"))
        << "nothing under /proc is a drive";
}

} // namespace
