#include "recording_zip_host.h"

#include "support/as_nobody.h"
#include "support/file_content.h"
#include "support/file_size_limit.h"
#include "support/temp_tree.h"
#include "support/zip_archives.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>
#include <tuple>

namespace {

using Entries = std::vector<std::string>;

ZipJob packJob(const TempTree& tree, const std::vector<ZipPackItem>& items,
               const std::string& archive) {
    ZipJob job;
    job.JobKind = ZipJob::Kind::Pack;
    job.Folder = tree.path();
    job.Items = items;
    job.ArchivePath = archive;
    return job;
}

TEST(PackJob, PacksFoldersBeforeTheirContentsInByteOrderAndEveryNameButDotAndDotDot) {
    TempTree tree;
    tree.write("a.txt", "top");
    tree.write("d/f", "file");
    tree.dir("d/s");
    tree.write("d/.x", "dot first");
    tree.write("d/a.", "dot last");
    RecordingZipHost host;
    const std::string archive = tree.at("out.zip");
    host.run(packJob(tree, {{"a.txt", 3}, {"d", 1}}, archive));

    EXPECT_EQ(archiveEntries(archive), (Entries{"a.txt", "d/", "d/.x", "d/a.", "d/f", "d/s/"}));
    EXPECT_TRUE(unzipTestPasses(archive));
    EXPECT_EQ(host.statuses, (Entries{"ADD to archive (1): a.txt", "Adding to archive (2): .x",
                                      "Adding to archive (3): a.", "Adding to archive (4): f"}));
    EXPECT_TRUE(host.script.shown().empty());
    EXPECT_EQ(std::tuple(host.rows, host.beeps, host.rereads, host.states.back(), host.ended),
              std::tuple(std::vector<int>{3, 1}, 1, 1, -1, true));
}

TEST(PackJob, AnArchiveInsideTheMarkedFolderPacksNeitherItselfNorTheArchiveItReplaces) {
    for (const bool replacing : {false, true}) {
        SCOPED_TRACE(replacing ? "replacing" : "new");
        TempTree tree;
        tree.write("d/f", "file");
        const std::string archive = tree.at("d/d.zip");
        if (replacing)
            tree.write("d/d.zip", "the old archive");
        RecordingZipHost host;
        host.script.answerNext(MessageButton::Yes);
        host.run(packJob(tree, {{"d", 1}}, archive));

        EXPECT_EQ(archiveEntries(archive), (Entries{"d/", "d/f"}));
        EXPECT_TRUE(unzipTestPasses(archive));
        EXPECT_TRUE(host.reports().empty());
        EXPECT_EQ(leftoverTempFiles(tree.at("d")), 0);
    }
}

TEST(PackJob, ReportsWhatItCannotPackAndPacksTheRest) {
    TempTree tree;
    tree.write("d/ok.txt", "packed");
    tree.symlink("d/loop", "..");
    tree.symlink("d/to-file", "ok.txt");
    ASSERT_EQ(::mkfifo(tree.at("d/fifo").c_str(), 0644), 0);
    Entries expectedLines{"d/fifo: neither a regular file nor a folder",
                          "d/loop: symbolic link, not followed",
                          "d/to-file: symbolic link, not followed"};
    // Making a device needs a privilege the test may not have.
    if (::mknod(tree.at("d/null").c_str(), S_IFCHR | 0644, makedev(1, 3)) == 0)
        expectedLines.insert(expectedLines.begin() + 2,
                             "d/null: neither a regular file nor a folder");
    RecordingZipHost host;
    const std::string archive = tree.at("out.zip");
    host.run(packJob(tree, {{"d", 1}}, archive));

    EXPECT_EQ(archiveEntries(archive), (Entries{"d/", "d/ok.txt"}));
    EXPECT_TRUE(unzipTestPasses(archive));
    std::string expected = "OperationNotAllowed\n";
    for (const std::string& line : expectedLines)
        expected += "\n" + line;
    EXPECT_EQ(host.reports(), Entries{expected});
    // No success is claimed.
    EXPECT_EQ(std::tuple(host.script.shown().front().title, host.beeps, host.rows),
              std::tuple("Tarvo Manager", 0, std::vector<int>{1}));
}

TEST(PackJob, AFileTheUserCannotReadIsReportedAndTheRestPacked) {
    TempTree tree;
    tree.write("d/readable", "packed");
    tree.write("d/secret", "not for nobody");
    ::chmod(tree.at("d/secret").c_str(), 0600);
    tree.dir("out", 0777);
    const std::string archive = tree.at("out/out.zip");
    const std::string outcome = runAsNobody([&] {
        RecordingZipHost host;
        host.run(packJob(tree, {{"d", 1}}, archive));
        const auto reports = host.reports();
        return reports.empty() ? std::string("no report") : reports.front();
    });
    EXPECT_EQ(outcome, "OperationNotAllowed\n\nd/secret: could not be opened or created");
    EXPECT_EQ(archiveEntries(archive), (Entries{"d/", "d/readable"}));
    EXPECT_TRUE(unzipTestPasses(archive));
}

TEST(PackJob, NoToTheOverwriteQuestionKeepsTheOldArchiveAndEndsQuietly) {
    TempTree tree;
    tree.write("a.txt", "new");
    const std::string archive = tree.write("old.zip", "the old archive");
    RecordingZipHost host;
    host.script.answerNext(MessageButton::No);
    host.run(packJob(tree, {{"a.txt", 1}}, archive));

    ASSERT_EQ(host.script.shown().size(), 1u);
    EXPECT_EQ(host.script.shown().front().text, "Overwrite\n\n" + archive + "?\n");
    EXPECT_EQ(readFile(archive), "the old archive");
    EXPECT_EQ(host.beeps + host.rereads + static_cast<int>(host.statuses.size()), 0);
    EXPECT_EQ(std::pair(host.states, host.ended), std::pair(std::vector<int>{-1, -1}, true));
}

TEST(PackJob, CancelInsideALargeFileKeepsAReadableArchiveOfTheEntriesBefore) {
    TempTree tree;
    tree.write("first.txt", "complete");
    // Stored as it is (".zip"), so the archive grows as fast as the file is read.
    tree.file("later.zip", std::int64_t{16} << 30);
    const std::string archive = tree.at("out.zip");
    RecordingZipHost host;
    ZipJob job = packJob(tree, {{"first.txt", 1}, {"later.zip", 2}}, archive);
    job.Threads = 1;
    ZipThread thread(std::move(job), host);
    // Cancelled once the large entry is well under way.
    const auto growing = [&] {
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(tree.path()))
            if (entry.path().filename().string().starts_with(".tarvo-") &&
                entry.file_size(error) > (64 << 20) && !error)
                return true;
        return false;
    };
    while (!growing() && thread.Busy())
        std::this_thread::yield();
    thread.cancel();
    thread.join();

    EXPECT_EQ(archiveEntries(archive), Entries{"first.txt"});
    EXPECT_TRUE(unzipTestPasses(archive));
    struct stat written {};
    ASSERT_EQ(::stat(archive.c_str(), &written), 0);
    EXPECT_LT(written.st_size, 4096); // the cut-off entry is gone from the file
    EXPECT_EQ(std::tuple(host.rows, host.beeps, host.rereads),
              std::tuple(std::vector<int>{1}, 0, 1));
}

TEST(PackJob, AnArchiveThatCannotBeWrittenLeavesNothingAndTheOldOneIntact) {
    for (const bool replacing : {false, true}) {
        SCOPED_TRACE(replacing ? "replacing" : "new");
        TempTree tree;
        tree.write("big.bin", randomBytes(1 << 20, 7));
        const std::string archive = tree.at("out.zip");
        if (replacing)
            tree.write("out.zip", "the old archive");
        RecordingZipHost host;
        host.script.answerNext(MessageButton::Yes);
        {
            const FileSizeLimit limit(64 << 10);
            ASSERT_TRUE(limit.active());
            host.run(packJob(tree, {{"big.bin", 1}}, archive));
        }
        EXPECT_EQ(std::filesystem::exists(archive) ? readFile(archive) : "(none)",
                  replacing ? "the old archive" : "(none)");
        EXPECT_EQ(leftoverTempFiles(tree.path()), 0);
        const auto reports = host.reports();
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_NE(reports.front().find(archive + ": could not be read or written"),
                  std::string::npos);
        EXPECT_EQ(host.beeps, 0);
    }
}

// A folder the archive cannot go into; a pipe or a folder under the archive's name is refused
// without the overwrite question, and the job never waits on the pipe.
TEST(PackJob, AnArchiveThatCannotBeCreatedIsSaidSo) {
    for (const char* kind : {"missing folder", "pipe", "folder"}) {
        SCOPED_TRACE(kind);
        TempTree tree;
        tree.write("a.txt", "x");
        std::string archive = tree.at("out.zip");
        std::string report = "CouldNotCreateFileArchive\n\n" + archive + ": not a regular file";
        if (kind == std::string("missing folder")) {
            archive = tree.at("missing/out.zip");
            report = "CouldNotCreateFileArchive";
        } else if (kind == std::string("pipe")) {
            ASSERT_EQ(::mkfifo(archive.c_str(), 0600), 0);
        } else {
            tree.dir("out.zip");
        }
        RecordingZipHost host;
        host.script.answerNext(MessageButton::Yes);
        ZipThread thread(packJob(tree, {{"a.txt", 1}}, archive), host);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (thread.Busy() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (thread.Busy()) {
            ADD_FAILURE() << "the job waits on the pipe";
            ::close(::open(archive.c_str(), O_RDONLY | O_NONBLOCK)); // lets it go
        }
        thread.join();
        EXPECT_EQ(host.script.shown().size(), 1u) << "no overwrite question";
        EXPECT_EQ(host.reports(), Entries{report});
        EXPECT_EQ(std::tuple(host.beeps, host.rereads, host.ended), std::tuple(0, 0, true));
    }
}

} // namespace
