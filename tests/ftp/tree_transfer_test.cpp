// Batches of marked rows and the walks of whole trees both ways, and the edit copies that go
// back to the server after every save, against pyftpdlib on loopback.
#include "session_fixture.h"

#include "ftp/edited_files.h"
#include "ftp/remote_walk_bound.h"
#include "ftp/transfer_batch.h"
#include "support/file_content.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <tuple>

namespace {

namespace fs = std::filesystem;
using tarvo::ftp::test::TestServer;

auto holding(const std::string& part) {
    return [part](const std::string& line) { return line.find(part) != std::string::npos; };
}
std::size_t countLines(const std::vector<std::string>& lines, const std::string& part) {
    return static_cast<std::size_t>(std::ranges::count_if(lines, holding(part)));
}
std::size_t lineIndex(const std::vector<std::string>& lines, const std::string& part) {
    return static_cast<std::size_t>(std::ranges::find_if(lines, holding(part)) - lines.begin());
}

class Batches : public SessionFixture {
protected:
    void start(const std::string& mode = "normal", const std::string& argument = "") {
        server = tarvo::ftp::test::startFaultServer("127.0.0.1", mode, argument);
        ASSERT_EQ(ftp->Connect(fieldsFor(*server), 2), 1) << console();
    }
    TransferBatch batch() { return {*ftp, screen, job, PanelSide::Left, "Copying"}; }
    static JobQueue queueOf(std::vector<MarkDomain> items) {
        JobQueue queue;
        queue.Items = std::move(items);
        return queue;
    }

    std::unique_ptr<TestServer> server;
    Job job;
    std::string folder = program.dir("dl");
};

TEST_F(Batches, ADownloadedTreeHoldsEveryFileButNoLinkedFolder) {
    start();
    const fs::path tree = server->root / "tree";
    fs::create_directories(tree / "empty");
    fs::create_directories(tree / "sub" / "deep");
    writeFile(tree / ".x", "dot");
    writeFile(tree / "sub" / "deep" / "f.txt", "deep");
    fs::create_directory_symlink(".", tree / "loop");
    fs::create_symlink("sub/deep/f.txt", tree / "link.txt");
    const JobQueue queue = queueOf(
        {{"/", folder, "tree", true, false, 1, 0, 0}, {"/", folder, "lnk", true, true, 2, 0, 0}});
    EXPECT_EQ(downloadMarked(batch(), queue, left), 0) << console();
    // A link shown as a file is fetched, one shown as a folder is not entered.
    EXPECT_EQ(std::tuple(readFile(folder + "/tree/.x"), readFile(folder + "/tree/sub/deep/f.txt"),
                         readFile(folder + "/tree/link.txt"),
                         fs::is_directory(folder + "/tree/empty"),
                         fs::exists(folder + "/tree/loop"), fs::exists(folder + "/lnk")),
              std::tuple("dot", "deep", "deep", true, false, false));
    EXPECT_EQ(screen.unmarked(), std::vector<int>{1}) << "the link row keeps its mark";
    const auto lines = screen.console();
    EXPECT_LT(lineIndex(lines, "--> /tree/sub/deep"), lineIndex(lines, "RETR /tree/sub/deep/f"));
}

TEST_F(Batches, AnUploadedTreeHoldsOnlyRegularFilesAndRealFolders) {
    start();
    TempTree local;
    local.write("up/.x", "dot");
    local.dir("up/empty");
    local.write("up/sub/f.txt", "f");
    local.symlink("up/loop", "..");
    local.symlink("up/file-link.txt", "sub/f.txt");
    ASSERT_EQ(::mkfifo(local.at("up/fifo").c_str(), 0644), 0);
    const JobQueue queue = queueOf({{local.path(), "/", "up", true, false, 3, 0, 0}});
    EXPECT_EQ(uploadMarked(batch(), queue), 0) << console();
    const fs::path up = server->root / "up";
    EXPECT_EQ(std::tuple(readFile(up / ".x"), readFile(up / "sub" / "f.txt"),
                         readFile(up / "file-link.txt"), fs::is_directory(up / "empty"),
                         fs::exists(up / "loop"), fs::exists(up / "fifo")),
              std::tuple("dot", "f", "f", true, false, false));
    const auto lines = screen.console();
    EXPECT_LT(lineIndex(lines, "MKD /up/sub"), lineIndex(lines, "STOR /up/sub/f.txt"));
}

TEST_F(Batches, AStoppedBatchTouchesNothingAndUnmarksItsRows) {
    start();
    fs::create_directories(server->root / "tree" / "sub");
    writeFile(server->root / "tree" / "sub" / "f", "f");
    job.requestStop();
    const JobQueue queue = queueOf(
        {{"/", folder, "tree", true, false, 1, 0, 0}, {"/", folder, "a", false, false, 2, 0, 1}});
    EXPECT_EQ(downloadMarked(batch(), queue, left), 0);
    EXPECT_TRUE(fs::is_empty(folder));
    EXPECT_EQ(screen.unmarked(), (std::vector<int>{1, 2}));
}

TEST_F(Batches, ALostConnectionStopsTheBatchQuietly) {
    start();
    server->putFile("a", "a");
    server->putFile("b", "b");
    server.reset();                                // the server goes away
    screen.script().answerNext(MessageButton::No); // reconnect?
    const JobQueue queue = queueOf(
        {{"/", folder, "a", false, false, 1, 0, 1}, {"/", folder, "b", false, false, 2, 0, 1}});
    EXPECT_EQ(downloadMarked(batch(), queue, left), 2) << console();
    EXPECT_EQ(countLines(screen.console(), "RETR"), 1u) << "the second file is never asked for";
}

TEST_F(Batches, ACancelledUploadStillShowsTheServersFolder) {
    start();
    server->putFile("a", "old");
    TempTree local;
    local.write("a", "new");
    local.write("b", "b");
    const std::size_t views = screen.views().size();
    screen.script().answerNext(MessageButton::Cancel); // overwrite "a"?
    const JobQueue queue = queueOf({{local.path(), "/", "a", false, false, 1, 0, 3},
                                    {local.path(), "/", "b", false, false, 2, 0, 1}});
    EXPECT_EQ(uploadMarked(batch(), queue), 2);
    EXPECT_FALSE(fs::exists(server->root / "b"));
    EXPECT_GT(screen.views().size(), views) << "the panel was listed again";
}

TEST_F(Batches, TreeCommandsWriteEveryFilePathAndEnterNoLink) {
    start();
    fs::create_directories(server->root / "a" / "empty");
    writeFile(server->root / "a" / "f", "f");
    writeFile(server->root / "top", "t");
    fs::create_directory_symlink("..", server->root / "a" / "up");
    TempTree local;
    local.write("x/y/z", "z");
    local.symlink("x/loop", ".");
    ftp->Tree("/");
    left.Tree(local.path());
    auto lines = screen.console();
    lines.erase(lines.begin(), lines.begin() + static_cast<long>(lineIndex(lines, "/a/f")));
    std::sort(lines.begin(), lines.end());
    // Links are listed as entries of their own, never entered.
    EXPECT_EQ(lines, (std::vector<std::string>{"/a/f", "/a/up", local.at("x/loop"),
                                               local.at("x/y/z"), "/top"}));
}

TEST_F(Batches, HostileNamesInAListingAreRefused) {
    TempTree canned;
    canned.write("default", "-rw-r--r-- 1 u g 4 Jan 01 2020 ../evil\r\n"
                            "drwxr-xr-x 2 u g 0 Jan 01 2020 ..\r\n"
                            "-rw-r--r-- 1 u g 4 Jan 01 2020 good\r\n");
    start("canned", canned.path());
    server->putFile("good", "good");
    EXPECT_EQ(ftp->GetDir("/", folder), 1) << console();
    EXPECT_EQ(readFile(folder + "/good"), "good");
    EXPECT_FALSE(fs::exists(program.at("evil")));
    EXPECT_EQ(boxes(), std::vector<std::string>{"OperationNotAllowed\n\n../evil"});
}

// A server that lists a folder inside itself, one level deeper each time: every walk stops
// once, below the deepest level a real tree has, with one box, and deletes nothing.
TEST_F(Batches, AWalkOfATreeWithoutEndStopsOnceWithOneBox) {
    TempTree canned;
    const std::string nested = "drwxr-xr-x 2 u g 0 Jan 01 2020 d\r\n";
    canned.write("default", nested);
    canned.write("d", nested);
    start("canned", canned.path());
    std::string stoppedAt;
    for (int level = 0; level <= RemoteWalkBound::kMaxDepth + 1; ++level)
        stoppedAt += "/d";
    const std::pair<const char*, std::function<void()>> walks[] = {
        {"download", [&] { EXPECT_EQ(ftp->GetDir("/d", folder), -2); }},
        {"tree", [&] { ftp->Tree("/d"); }},
        {"delete", [&] { ftp->DeleteDir("/d"); }},
    };
    for (const auto& [name, walk] : walks) {
        const std::size_t before = boxes().size();
        walk();
        EXPECT_EQ(boxes().size(), before + 1) << name;
        EXPECT_EQ(boxes().back(),
                  "The server's folder tree goes on without end; stopped at\n\n" + stoppedAt);
    }
    EXPECT_EQ(ftp->DeleteAnswer, 2) << "the deletes end as after a Cancel";
    const std::string received = readFile(canned.at("received"));
    EXPECT_EQ(received.find("DELE"), std::string::npos);
    EXPECT_EQ(received.find("RMD"), std::string::npos);

    RemoteWalkBound bound;
    EXPECT_TRUE(bound.enter("/a//b/", 0));
    EXPECT_FALSE(bound.enter("/a/./c/../b", 1)) << "the same folder, written otherwise";
    EXPECT_EQ(bound.stoppedAt(), "/a/./c/../b");
}

class EditCopies : public Batches {
protected:
    void SetUp() override {
        Batches::SetUp();
        start();
        server->putFile("doc.txt", "v1");
        copy = *edits.createCopy(program.at("TempFiles"), "my/site", "doc.txt");
        ftp->EditDownload = true;
        ASSERT_EQ(ftp->get(program.at("TempFiles"), fs::path(copy).filename(), "/doc.txt", 2), 1);
        edits.add({true, "/doc.txt", copy, ftp->serverIdentity(), *stampOf(copy), *stampOf(copy)});
    }
    void check() { edits.check(*ftp, screen, texts); }

    EditedCopies edits;
    std::string copy;
};

TEST_F(EditCopies, CopiesArePrivateAndNamedSafelyAndEverySaveGoesBackOnceEvenWithinOneSecond) {
    EXPECT_EQ(fs::path(copy).filename(), "my_site_1_doc.txt");
    EXPECT_EQ(readFile(copy), "v1");
    struct stat info {};
    ASSERT_EQ(::stat(copy.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_TRUE(boxes().empty()) << "an edit download asks nothing";
    writeFile(program.at("TempFiles/s_2_x"), "taken");
    EXPECT_EQ(fs::path(*edits.createCopy(program.at("TempFiles"), "s", "x")).filename(), "s_3_x");

    writeFile(copy, "v2");
    writeFile(copy, "v3");
    check();
    check();
    EXPECT_EQ(countLines(screen.console(), "STOR /doc.txt"), 1u);
    EXPECT_EQ(readFile(server->root / "doc.txt"), "v3");
    writeFile(copy, "v4"); // same size, same second
    check();
    EXPECT_EQ(readFile(server->root / "doc.txt"), "v4");
    EXPECT_TRUE(boxes().empty());
}

TEST_F(EditCopies, AVanishedCopyWaitsAndAnotherServerNeverGetsIt) {
    fs::remove(copy);
    check();
    EXPECT_TRUE(edits.records().front().Watched);
    writeFile(copy, "back");
    EditList record = edits.records().front();
    record.Server = "someone@elsewhere:21";
    EditedCopies other;
    other.add(record);
    screen.script().answerNext(MessageButton::No); // ReUploadField
    other.check(*ftp, screen, texts);
    EXPECT_EQ(countLines(screen.console(), "STOR"), 0u);
    EXPECT_FALSE(other.records().front().Watched);
    EXPECT_EQ(boxes().back(), "ReUploadField:\n\n" + copy);
    EXPECT_EQ(other.removeUploadedCopies(), std::vector<std::string>{copy});
    EXPECT_TRUE(fs::exists(copy)) << "unsent work is kept";
    check(); // the real record sends it
    EXPECT_EQ(edits.removeUploadedCopies(), std::vector<std::string>{});
    EXPECT_FALSE(fs::exists(copy));
}

} // namespace
