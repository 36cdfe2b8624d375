#include "recording_zip_host.h"

#include "support/file_content.h"
#include "support/temp_tree.h"
#include "support/zip_archives.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

namespace {

using Entries = std::vector<std::string>;

ZipJob unpackJob(const std::string& archive, const std::string& folder) {
    ZipJob job;
    job.JobKind = ZipJob::Kind::Unpack;
    job.ArchivePath = archive;
    job.UnpackFolder = folder + "/";
    return job;
}

std::string contentOr(const std::string& path, const std::string& missing) {
    return std::filesystem::exists(path) ? readFile(path) : missing;
}

TEST(UnpackJob, OverwriteAnswersDecideWhichExistingFilesAreReplaced) {
    struct Case {
        const char* name;
        std::vector<MessageButton> answers;
        std::string expected; // per file: n new, o old
        std::size_t questions;
    };
    const Case cases[] = {
        {"yes to all", {MessageButton::YesToAll}, "nnn", 1},
        {"no, then yes to all", {MessageButton::No, MessageButton::YesToAll}, "onn", 2},
        {"no to all", {MessageButton::NoToAll}, "ooo", 1},
        {"yes, then cancel", {MessageButton::Yes, MessageButton::Cancel}, "noo", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempTree tree;
        const std::string archive = tree.at("a.zip");
        writeArchive(archive, {{"1", "new"}, {"2", "new"}, {"3", "new"}});
        for (const char* name : {"1", "2", "3"})
            tree.write(std::string("out/") + name, "old");
        RecordingZipHost host;
        for (const MessageButton answer : c.answers)
            host.script.answerNext(answer);
        host.run(unpackJob(archive, tree.at("out")));

        std::string found;
        for (const char* name : {"1", "2", "3"})
            found += readFile(tree.at(std::string("out/") + name)) == "new" ? 'n' : 'o';
        EXPECT_EQ(found, c.expected);
        ASSERT_EQ(host.script.shown().size(), c.questions);
        const MessageRequest first = host.script.shown().front();
        EXPECT_EQ(std::tuple(first.text, first.buttons, host.beeps),
                  std::tuple("Overwrite\n\n" + tree.at("out/1") + "?\n",
                             MessageButton::Yes | MessageButton::YesToAll | MessageButton::No |
                                 MessageButton::NoToAll | MessageButton::Cancel,
                             1));
    }
}

TEST(UnpackJob, ReportsUnsafeAndDamagedEntriesAndWritesNothingOutsideTheFolder) {
    TempTree tree;
    const std::string archive = tree.at("a.zip");
    writeArchive(archive,
                 {{"good.txt", "good"}, {"../evil.txt", "evil"}, {"bad.txt", "damaged data"}},
                 "bad.txt");
    RecordingZipHost host;
    host.run(unpackJob(archive, tree.at("out")));

    EXPECT_EQ(contentOr(tree.at("out/good.txt"), "-") + contentOr(tree.at("evil.txt"), "-") +
                  contentOr(tree.at("out/bad.txt"), "-"),
              "good--");
    EXPECT_EQ(host.reports(),
              Entries{"OperationNotAllowed\n\n" + tree.at("out/../evil.txt") +
                      ": the name leads out of the target folder\n" + tree.at("out/bad.txt") +
                      ": damaged data (CRC or size do not match)"});
    EXPECT_EQ(std::tuple(host.beeps, host.statuses.front()),
              std::tuple(0, "Unpacking (0): " + tree.at("out/good.txt")));
}

// A viewer's unpack takes only the archive it listed: entries are marked by index, and another
// archive's entries of those indices were never seen.
TEST(UnpackJob, AMissingFileNoArchiveOrAnArchiveNotTheOneListedIsReportedAndNothingWritten) {
    TempTree tree;
    const std::string listed = tree.at("listed.zip");
    writeArchive(listed, {{"seen.txt", "seen"}});
    tarvo::zip::FileStamp stamp;
    {
        const tarvo::zip::UniqueZipHandle handle(tarvo::zip::ZipOpen(listed));
        ASSERT_TRUE(tarvo::zip::ZipReaderFile(handle.get(), stamp));
    }
    const std::string rewritten = tree.at("rewritten.zip");
    writeArchive(rewritten, {{"other.txt", "never seen"}});
    const std::string changed = "Nothing was unpacked: the archive changed after it was listed.";
    const std::tuple<std::string, std::string, std::optional<tarvo::zip::FileStamp>> cases[] = {
        {tree.at("missing.zip"), "Nothing was unpacked: the archive is missing.", stamp},
        {tree.write("text.zip", "text"), "OperationNotAllowed", std::nullopt},
        {rewritten, changed, stamp}, // another file under the name
    };
    for (const auto& [archive, refusal, seen] : cases) {
        SCOPED_TRACE(archive);
        RecordingZipHost host;
        ZipJob job = unpackJob(archive, tree.at("out"));
        job.ListedArchive = seen;
        job.Selection = std::vector<int>{0};
        host.run(job);
        EXPECT_EQ(host.reports(), Entries{refusal + "\n\n" + archive});
        EXPECT_EQ(std::tuple(host.beeps, std::filesystem::exists(tree.at("out")), host.ended),
                  std::tuple(0, false, true));
    }
}

TEST(UnpackJob, ViewerMarksUnpackOnlyThoseEntriesAndTheirMarksGo) {
    TempTree tree;
    const std::string archive = tree.at("a.zip");
    writeArchive(archive, {{"d/", ""}, {"d/1", "one"}, {"2", "two"}, {"3", "three"}});
    for (const bool workerIdle : {true, false}) {
        SCOPED_TRACE(workerIdle ? "the remote worker re-reads" : "the job re-reads");
        const std::string out = tree.at(workerIdle ? "idle" : "busy");
        RecordingZipHost host;
        host.remoteWorkerIdle = workerIdle;
        ZipJob job = unpackJob(archive, out);
        job.Selection = std::vector<int>{1, 3};
        host.run(job);

        EXPECT_EQ(contentOr(out + "/d/1", "-") + contentOr(out + "/2", "-") +
                      contentOr(out + "/3", "-"),
                  "one-three");
        EXPECT_EQ(std::tuple(host.taken, host.refreshPosts, host.rereads),
                  std::tuple(std::vector<int>{1, 3}, 1, workerIdle ? 0 : 1));
    }
}

} // namespace
