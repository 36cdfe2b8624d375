// Downloads and uploads of single files against pyftpdlib servers that fail on purpose: the part
// file, resume (past 4 GiB too), the overwrite questions, hostile names and cancels.
#include "session_fixture.h"

#include "ftp/download_file.h"
#include "ftp/transfer_batch.h"
#include "support/file_content.h"

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using tarvo::ftp::test::TestServer;

bool consoleHolds(const std::vector<std::string>& lines, const std::string& part) {
    return std::ranges::any_of(
        lines, [&](const auto& line) { return line.find(part) != std::string::npos; });
}

// A part file as an unfinished download of this program leaves it.
void writePart(const std::string& path, const std::string& content) {
    writeFile(path, content);
    ASSERT_EQ(::setxattr(path.c_str(), kPartFileMarker, "1", 1, 0), 0);
}

class Transfers : public SessionFixture {
protected:
    void start(const std::string& mode, const std::string& argument = "", int throttle = 0) {
        server = tarvo::ftp::test::startFaultServer("127.0.0.1", mode, argument, throttle);
        ASSERT_EQ(ftp->Connect(fieldsFor(*server), 2), 1) << console();
        ftp->beginBatch(&job, "Copying");
    }
    std::string local(const std::string& name) const { return folder + "/" + name; }
    std::string contentOf(const std::string& name) const {
        return fs::exists(local(name)) ? readFile(local(name)) : "(none)";
    }
    int download(const std::string& name, std::int64_t size) {
        return ftp->get(folder, name, "/" + name, size);
    }

    std::unique_ptr<TestServer> server;
    Job job;
    std::string folder = program.dir("dl");
    const std::string data = randomBytes(300000, 7);
};

TEST_F(Transfers, AFreshDownloadBecomesTheFileOnlyWhenComplete) {
    start("normal");
    server->putFile("a.txt", data);
    server->putFile("empty", "");
    server->putFile("odd:name?", "x");
    // Only the exact part name counts as a part file: no resume question for these.
    writeFile(local("xa.txt.part"), "other");
    writeFile(local("a.txt.partial"), "other");
    // Name, size listed (0: not known), content.
    for (const auto& [name, size, content] : {std::tuple{"a.txt", 300000, data},
                                              {"a.txt", 0, data},
                                              {"empty", 0, ""},
                                              {"odd:name?", 1, "x"}}) {
        fs::remove(local(name));
        screen.takeStrip();
        EXPECT_EQ(download(name, size), 1) << name << console();
        EXPECT_EQ(screen.takeStrip(), (std::vector<std::string>{"wait", "ready", "complete"}));
        EXPECT_EQ(readFile(local(name)), content) << name;
        EXPECT_FALSE(fs::exists(local(std::string(name) + ".part"))) << name;
    }
    EXPECT_TRUE(boxes().empty());
}

TEST_F(Transfers, ADroppedDownloadKeepsAPartFileOnlyWhenItIsWorthResuming) {
    for (const auto& [sent, kept] : {std::pair{150000, 150000}, std::pair{50000, 0}}) {
        start("drop-data", std::to_string(sent));
        server->putFile("a.txt", data);
        screen.takeStrip();
        EXPECT_LT(download("a.txt", 300000), 0);
        EXPECT_EQ(screen.takeStrip(), (std::vector<std::string>{"wait", "ready"}))
            << "never shown complete";
        EXPECT_FALSE(fs::exists(local("a.txt"))) << "never an incomplete file under the name";
        ASSERT_TRUE(fs::exists(local("a.txt.part")));
        EXPECT_EQ(fs::file_size(local("a.txt.part")), static_cast<std::uintmax_t>(kept));
        EXPECT_EQ(readFile(local("a.txt.part")), data.substr(0, kept));
        EXPECT_TRUE(DownloadFile::inFolder(folder, "a.txt")->partExists()) << "marked for a resume";
        fs::remove(local("a.txt.part"));
    }
}

// Without the listing's size the server's SIZE tells whether what arrived is the rest or the
// whole file again; where nothing tells, the whole file is downloaded beside the part file.
TEST_F(Transfers, AResumeFetchesOnlyTheMissingBytes) {
    // Server mode and argument, size listed (0: none), result, whether the resume is offered.
    for (const auto& [mode, argument, size, result, asked] :
         {std::tuple{"normal", "", 300000, 0, true},
          {"rest-ignored", "", 300000, 0, true},
          {"rest-ignored", "", 0, 0, true},
          {"rest-ignored", "no-size", 0, 1, false},
          {"rest-refused", "", 300000, -2, true}}) {
        SCOPED_TRACE(std::string(mode) + " " + argument + " " + std::to_string(size));
        start(mode, argument);
        server->putFile("a.txt", data);
        writePart(local("a.txt.part"), data.substr(0, 120000));
        const std::size_t before = boxes().size();
        if (asked)
            screen.script().answerNext(MessageButton::Yes);
        EXPECT_EQ(download("a.txt", size), result) << console();
        const std::vector<std::string> shown = boxes();
        EXPECT_EQ(shown.size() > before &&
                      shown[before] == "ResumeDownload " + local("a.txt") + "?",
                  asked);
        EXPECT_EQ(contentOf("a.txt"), result >= 0 ? data : "(none)");
        EXPECT_EQ(contentOf("a.txt.part"), result == 0 ? "(none)" : data.substr(0, 120000));
        EXPECT_TRUE(result != 0 || consoleHolds(screen.console(), "350"));
        EXPECT_TRUE(result >= 0 || shown.back() == "ServerDontSupportResume");
        fs::remove(local("a.txt.part"));
        fs::remove(local("a.txt"));
    }
}

// A file named as a part file that this program did not leave unfinished, such as the
// server's own "x.part" downloaded earlier, is no unfinished download of x.
TEST_F(Transfers, OnlyAPartFileThisProgramLeftIsResumed) {
    start("normal");
    server->putFile("x", data);
    server->putFile("x.part", "the server's own file");
    EXPECT_EQ(download("x.part", 21), 1) << console();
    EXPECT_EQ(download("x", 300000), 1) << console();
    EXPECT_TRUE(boxes().empty()) << "no resume question";
    EXPECT_EQ(readFile(local("x")), data);
    EXPECT_EQ(readFile(local("x.part")), "the server's own file");
    writeFile(local("x.part"), "the user's own file");
    screen.script().answerNext(MessageButton::Yes);
    EXPECT_EQ(download("x", 300000), 1) << console();
    EXPECT_EQ(boxes(), std::vector<std::string>{"Overwrite\n\n" + local("x") + "?\n"});
    EXPECT_EQ(readFile(local("x.part")), "the user's own file");
}

TEST_F(Transfers, AResumePastFourGibibytesSendsTheWholeOffset) {
    start("normal");
    constexpr std::int64_t kOffset = (std::int64_t{1} << 32) + 5;
    // Sparse on both sides: only the tail holds data.
    const std::string remote = (server->root / "big").string();
    writeFile(remote, "");
    ASSERT_EQ(::truncate(remote.c_str(), kOffset), 0);
    {
        std::FILE* file = std::fopen(remote.c_str(), "ab");
        std::fputs("tail", file);
        std::fclose(file);
    }
    writePart(local("big.part"), "");
    ASSERT_EQ(::truncate(local("big.part").c_str(), kOffset), 0);
    screen.script().answerNext(MessageButton::Yes);
    EXPECT_EQ(download("big", kOffset + 4), 0) << console();
    EXPECT_TRUE(consoleHolds(screen.console(), std::to_string(kOffset))) << console();
    EXPECT_EQ(fs::file_size(local("big")), static_cast<std::uintmax_t>(kOffset + 4));
}

TEST_F(Transfers, AFinishedResumeAsksBeforeItReplacesTheFile) {
    start("normal");
    server->putFile("a.txt", data);
    writeFile(local("a.txt"), "mine");
    writePart(local("a.txt.part"), data.substr(0, 1000));
    screen.script().answerNext(MessageButton::No); // overwrite?
    EXPECT_EQ(download("a.txt", 300000), -1);
    EXPECT_EQ(readFile(local("a.txt")), "mine");
    EXPECT_EQ(readFile(local("a.txt.part")), data.substr(0, 1000));
}

TEST_F(Transfers, TheOverwriteAnswersStickAndNoAnswerSkips) {
    start("normal");
    for (const char* name : {"1", "2", "3"}) {
        server->putFile(name, "new");
        writeFile(local(name), "old");
    }
    for (const auto& [answer, content, questions] : {std::tuple{MessageButton::Ok, "old", 3u},
                                                     {MessageButton::NoToAll, "old", 1u},
                                                     {MessageButton::YesToAll, "new", 1u}}) {
        ftp->DownloadAnswer = 0;
        const std::size_t before = boxes().size();
        for (std::size_t i = 0; i < questions; ++i)
            screen.script().answerNext(answer); // Ok is no button of the question
        for (const char* name : {"1", "2", "3"})
            download(name, 3);
        EXPECT_EQ(boxes().size() - before, questions) << content;
        for (const char* name : {"1", "2", "3"})
            EXPECT_EQ(readFile(local(name)), content) << name;
    }
}

TEST_F(Transfers, TheTargetChecksLookInTheTargetsOwnFolder) {
    start("normal");
    server->putFile("a.txt", "new");
    const std::string elsewhere = program.dir("elsewhere");
    writeFile(elsewhere + "/a.txt", "old");
    writeFile(elsewhere + "/b.txt.part", "partial");
    screen.script().answerNext(MessageButton::No);
    EXPECT_EQ(ftp->get(elsewhere, "a.txt", "/a.txt", 3), -1) << "a save as elsewhere asks";
    EXPECT_EQ(boxes(), std::vector<std::string>{"Overwrite\n\n" + elsewhere + "/a.txt?\n"});
    EXPECT_EQ(download("a.txt", 3), 1) << "the panel's folder holds no a.txt: nothing asked";
    EXPECT_EQ(boxes().size(), 1u);
}

TEST_F(Transfers, AReplacedFileKeepsItsModeBecomesWritableAndAFailedDownloadLeavesIt) {
    start("normal");
    server->putFile("a.txt", "new");
    writeFile(local("a.txt"), "old");
    ::chmod(local("a.txt").c_str(), 0440);
    screen.script().answerNext(MessageButton::Yes);
    EXPECT_EQ(download("a.txt", 3), 1);
    EXPECT_EQ(fs::status(local("a.txt")).permissions(), fs::perms(0640));

    start("drop-data", "200000");
    server->putFile("a.txt", data);
    ::chmod(local("a.txt").c_str(), 0444);
    screen.script().answerNext(MessageButton::Yes);
    EXPECT_LT(download("a.txt", 300000), 0);
    EXPECT_EQ(readFile(local("a.txt")), "new");
}

TEST_F(Transfers, NamesThatWouldLeaveTheFolderAreRefused) {
    start("normal");
    for (const std::string& name :
         {std::string(), std::string("."), std::string(".."), std::string("../x"),
          std::string("/abs"), std::string("a/b"), std::string("a\0b", 3)}) {
        const std::size_t before = boxes().size();
        EXPECT_EQ(ftp->get(folder, name, "/x", 0), -1) << name;
        EXPECT_EQ(boxes().size(), before + 1) << name;
    }
    EXPECT_TRUE(fs::is_empty(folder));
    EXPECT_TRUE(consoleHolds(screen.console(), "Refused the name \"../x\""));
}

TEST_F(Transfers, ACancelFromAnotherThreadStopsTheDownloadAtOnce) {
    start("normal", "", 200000);
    server->putFile("a.txt", randomBytes(4'000'000, 3));
    // Also when the size is not known: a cut transfer is never a complete file.
    for (const std::int64_t size : {std::int64_t{4'000'000}, std::int64_t{0}}) {
        Job cancelled;
        const BatchScope batch(*ftp, &cancelled, "Copying"); // let go before the job ends
        std::thread canceller([&cancelled] {
            while (cancelled.progress.bytesDone == 0)
                std::this_thread::sleep_for(5ms);
            cancelled.requestStop();
        });
        EXPECT_LE(download("a.txt", size), -2) << size;
        canceller.join();
        EXPECT_FALSE(fs::exists(local("a.txt"))) << size;
        fs::remove(local("a.txt.part"));
    }
    EXPECT_TRUE(boxes().empty()) << "a cancel is the user's wish: no box";
}

TEST_F(Transfers, AnUploadSucceedsOnlyWhenTheServerKeptEveryByte) {
    for (const auto& [mode, result] : {std::pair{"normal", 1}, std::pair{"stor-552", -1}}) {
        start(mode);
        writeFile(local("up.bin"), data);
        screen.takeStrip();
        EXPECT_EQ(ftp->send("/up.bin", local("up.bin")), result) << mode << console();
        std::vector<std::string> shown{"wait", "ready"};
        if (result == 1)
            shown.emplace_back("complete"); // only a kept upload shows complete
        EXPECT_EQ(screen.takeStrip(), shown) << mode;
        if (result == 1)
            EXPECT_EQ(readFile(server->root / "up.bin"), data);
        else
            EXPECT_TRUE(consoleHolds(screen.console(), "File transfer faild")) << mode;
    }
}

TEST_F(Transfers, AnUnreadableSourceNeverReachesTheServer) {
    start("normal");
    server->putFile("keep", "remote data");
    ASSERT_EQ(::mkfifo(local("fifo").c_str(), 0644), 0);
    fs::create_directory(local("folder"));
    for (const char* name : {"fifo", "folder", "missing"}) {
        screen.script().answerNext(MessageButton::Yes); // overwrite "keep"
        EXPECT_EQ(ftp->send("/keep", local(name)), -1) << name;
    }
    EXPECT_FALSE(consoleHolds(screen.console(), "STOR"));
    EXPECT_EQ(readFile(server->root / "keep"), "remote data");
}

TEST_F(Transfers, TheUploadCheckListsTheTargetFolderWithoutEnteringIt) {
    start("normal");
    fs::create_directory(server->root / "sub");
    writeFile(server->root / "sub" / "f.txt", "old");
    writeFile(local("f.txt"), "new");
    screen.script().answerNext(MessageButton::No);
    EXPECT_EQ(ftp->send("/sub//f.txt", local("f.txt")), -1);
    EXPECT_EQ(boxes(), std::vector<std::string>{"Overwrite\n\n/sub/f.txt?\n"});
    EXPECT_EQ(ftp->currentDir(), "/");
    EXPECT_EQ(readFile(server->root / "sub" / "f.txt"), "old");
}

} // namespace
