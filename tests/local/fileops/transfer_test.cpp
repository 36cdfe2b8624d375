// Copies and moves on real trees: what arrives, what is refused, what a stop or a failing disk
// leaves behind.
#include "local/fileops/entry_ops.h"
#include "local/fileops/file_copy.h"
#include "local/fileops/removal.h"
#include "local/fileops/transfer.h"

#include "fileops/test_host.h"
#include "fileops/tree_summary.h"
#include "support/file_content.h"
#include "support/skip_or_fail.h"
#include "support/temp_tree.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <tuple>

namespace fileops = tarvo::fileops;
using fileops::Problem;
using fileops::TransferMode;
using tarvo::UniqueFd;

namespace {

using namespace std::chrono_literals;

constexpr std::int64_t kMiB = 1 << 20;

// Runs a transfer of `name` from folder `from` into folder `into`.
void transfer(TransferMode mode, TestHost& host, const std::string& from, const std::string& name,
              const std::string& into, fileops::DataPath& data = fileops::kernelDataPath()) {
    const UniqueFd source = fileops::openFolder(from);
    const UniqueFd target = fileops::openFolder(into);
    ASSERT_TRUE(source.valid() && target.valid()) << from << " " << into;
    fileops::Transfer(mode, host, host.stop.get_token(), data)
        .run({source.get(), from}, name, {target.get(), into});
}

// /dev/shm and /tmp are on two file systems, so moves between them copy.
bool shmIsAnotherFileSystem() {
    struct stat tmp {};
    struct stat shm {};
    return ::stat("/dev/shm", &shm) == 0 && ::stat("/tmp", &tmp) == 0 && shm.st_dev != tmp.st_dev;
}

void stampTimes(const std::string& root) {
    long nanoseconds = 123456789;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        const timespec times[2] = {{1600000000, nanoseconds}, {1600000000, nanoseconds}};
        ::utimensat(AT_FDCWD, entry.path().c_str(), times, AT_SYMLINK_NOFOLLOW);
        nanoseconds += 1111;
    }
}

// Every kind of entry a walk meets, with odd names, modes and times.
std::string makeVariedTree(const TempTree& tree) {
    tree.dir("src");
    tree.write("src/.x", "dot x");
    tree.write("src/a.", "trailing dot");
    tree.write("src/x", "one letter");
    tree.write("src/\xff\xfe.bin", "not UTF-8");
    tree.dir("src/empty", 0750);
    tree.write("src/d/e/f.txt", "deep");
    ::chmod(tree.at("src/d/e/f.txt").c_str(), 0640);
    tree.symlink("src/rel", "d/e/f.txt");
    tree.symlink("src/abs", tree.at("src/d"));
    tree.symlink("src/dangling", "nowhere");
    tree.symlink("src/d/up", "..");
    EXPECT_EQ(::mkfifo(tree.at("src/pipe").c_str(), 0600), 0);
    const int sparse = ::open(tree.at("src/sparse").c_str(), O_WRONLY | O_CREAT, 0644);
    EXPECT_EQ(::pwrite(sparse, "head", 4, 0), 4);
    EXPECT_EQ(::pwrite(sparse, "tail", 4, 12 * kMiB), 4);
    EXPECT_EQ(::ftruncate(sparse, 16 * kMiB), 0);
    ::close(sparse);
    tree.write("src/locked/inner.txt", std::string(20000, 'z'));
    ::chmod(tree.at("src/locked/inner.txt").c_str(), 0400);
    ::chmod(tree.at("src/locked").c_str(), 0555);
    stampTimes(tree.at("src"));
    return tree.at("src");
}

// Runs the transfer under a watchdog: a walk that opened the FIFO would block for ever.
void transferWithWatchdog(TransferMode mode, TestHost& host, const std::string& from,
                          const std::string& into, const std::string& fifo) {
    auto done = std::async(std::launch::async, [&] { transfer(mode, host, from, "src", into); });
    if (done.wait_for(60s) == std::future_status::timeout) {
        ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK)); // lets a blocked open go on
        done.wait();
        FAIL() << "the walk opened the FIFO";
    }
}

struct TreeCase {
    const char* name;
    TransferMode mode;
    bool otherFileSystem;
};

class WholeTree : public testing::TestWithParam<TreeCase> {};

TEST_P(WholeTree, ArrivesEntryForEntryWithModesTimesLinksAndHoles) {
    const TreeCase& param = GetParam();
    TempTree tree;
    if (param.otherFileSystem && !shmIsAnotherFileSystem())
        SKIP_OR_FAIL("no second file system at /dev/shm");
    TempTree other(param.otherFileSystem ? "/dev/shm" : "/tmp");
    const std::string source = makeVariedTree(tree);
    const std::string before = treeSummary(source);
    const std::string pipe = tree.at("src/pipe");

    TestHost host;
    transferWithWatchdog(param.mode, host, tree.path(), other.path(), pipe);

    for (const fileops::Failure& failure : host.failures)
        ADD_FAILURE() << failure.path << ": " << failure.error;
    EXPECT_EQ(treeSummary(other.at("src")), before);
    EXPECT_EQ(std::filesystem::exists(source), param.mode == TransferMode::Copy);
    struct stat sparse {};
    ASSERT_EQ(::stat(other.at("src/sparse").c_str(), &sparse), 0);
    EXPECT_LT(sparse.st_blocks * 512, 4 * kMiB) << "the holes were written out";
    EXPECT_TRUE(host.asked.empty());
    EXPECT_EQ(leftoverTempFiles(other.at("src")), 0);
}

INSTANTIATE_TEST_SUITE_P(
    CopyAndMove, WholeTree,
    testing::Values(TreeCase{"Copy", TransferMode::Copy, false},
                    TreeCase{"Move", TransferMode::Move, false},
                    TreeCase{"CopyToAnotherFileSystem", TransferMode::Copy, true},
                    TreeCase{"MoveToAnotherFileSystem", TransferMode::Move, true}),
    [](const testing::TestParamInfo<TreeCase>& info) { return info.param.name; });

struct RefusalCase {
    const char* name;
    const char* entry;
    const char* into; // relative to the tree
    Problem problem;
};

class Refusal : public testing::TestWithParam<std::tuple<RefusalCase, TransferMode>> {};

TEST_P(Refusal, LeavesEverythingAsItWas) {
    const auto& [param, mode] = GetParam();
    TempTree tree;
    tree.write("a.txt", "precious");
    tree.write("d/e/f.txt", "deep");
    tree.dir("other");
    ASSERT_EQ(::link(tree.at("a.txt").c_str(), tree.at("other/a.txt").c_str()), 0);
    tree.symlink("here", tree.path());
    tree.symlink("to-d", "d");
    const std::string before = treeSummary(tree.path());

    TestHost host;
    transfer(mode, host, tree.path(), param.entry, tree.at(param.into));

    ASSERT_EQ(host.failures.size(), 1u);
    EXPECT_EQ(host.failures[0].problem, param.problem);
    EXPECT_TRUE(host.asked.empty()) << "refused before any question";
    EXPECT_EQ(treeSummary(tree.path()), before);
    EXPECT_EQ(readFile(tree.at("a.txt")), "precious");
}

INSTANTIATE_TEST_SUITE_P(
    SameEntryAndOwnSubtree, Refusal,
    testing::Combine(
        testing::Values(
            RefusalCase{"FileOntoItself", "a.txt", ".", Problem::SameEntry},
            RefusalCase{"FileThroughALinkedFolder", "a.txt", "here", Problem::SameEntry},
            RefusalCase{"FileOntoItsHardLink", "a.txt", "other", Problem::SameEntry},
            RefusalCase{"FolderOntoItself", "d", ".", Problem::SameEntry},
            RefusalCase{"FolderIntoItself", "d", "d", Problem::IntoItself},
            RefusalCase{"FolderIntoItsSubtree", "d", "d/e", Problem::IntoItself},
            RefusalCase{"FolderIntoItsSubtreeThroughALink", "d", "to-d/e", Problem::IntoItself}),
        testing::Values(TransferMode::Copy, TransferMode::Move)),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).name) +
               (std::get<1>(info.param) == TransferMode::Copy ? "Copy" : "Move");
    });

TEST(Transfer, ReplacesOnlyWhatTheAnswerAllowsAndNeverAFolderByAFile) {
    TempTree tree;
    tree.write("from/yes.txt", "new yes");
    tree.write("from/no.txt", "new no");
    tree.symlink("from/link", "yes.txt");
    tree.write("from/clash", "a file");
    tree.write("from/sub/inner.txt", "merged");
    tree.write("to/yes.txt", "old yes");
    tree.write("to/no.txt", "old no");
    tree.write("to/link", "old link");
    tree.dir("to/clash");
    tree.write("to/sub/kept.txt", "kept");
    ::chmod(tree.at("to/yes.txt").c_str(), 0444);

    TestHost host;
    host.answers = {true, false, true}; // yes.txt, no.txt, link: in the order the walk asks
    for (const char* name : {"yes.txt", "no.txt", "link", "clash", "sub"})
        transfer(TransferMode::Copy, host, tree.at("from"), name, tree.at("to"));

    EXPECT_EQ(host.asked.size(), 3u);
    // A read-only target is replaced.
    EXPECT_EQ(std::tuple(readFile(tree.at("to/yes.txt")), readFile(tree.at("to/no.txt")),
                         readFile(tree.at("to/sub/kept.txt")),
                         readFile(tree.at("to/sub/inner.txt")),
                         std::filesystem::read_symlink(tree.at("to/link")).string()),
              std::tuple("new yes", "old no", "kept", "merged", "yes.txt"));
    EXPECT_TRUE(std::filesystem::is_directory(tree.at("to/clash")));
    ASSERT_EQ(host.failures.size(), 1u);
    EXPECT_EQ(host.failures[0].error, EISDIR);
    EXPECT_EQ(leftoverTempFiles(tree.at("to")), 0);
}

TEST(Transfer, AMoveOnOneFileSystemRenamesAndKeepsWhatTheUserKept) {
    TempTree tree;
    tree.write("from/big.bin", std::string(100000, 'b'));
    tree.write("from/sub/keep.txt", "new");
    tree.write("from/sub/go.txt", "go");
    tree.write("to/sub/keep.txt", "old");
    struct stat before {};
    ::stat(tree.at("from/big.bin").c_str(), &before);

    TestHost host;
    host.answers = {false}; // keep.txt stays where it is
    transfer(TransferMode::Move, host, tree.at("from"), "big.bin", tree.at("to"));
    transfer(TransferMode::Move, host, tree.at("from"), "sub", tree.at("to"));

    struct stat after {};
    ASSERT_EQ(::stat(tree.at("to/big.bin").c_str(), &after), 0);
    EXPECT_EQ(std::pair(after.st_ino, host.bytesMoved), std::pair(before.st_ino, std::int64_t{0}))
        << "renamed, not copied";
    EXPECT_EQ(std::tuple(readFile(tree.at("to/sub/go.txt")), readFile(tree.at("to/sub/keep.txt")),
                         readFile(tree.at("from/sub/keep.txt"))),
              std::tuple("go", "old", "new"));
    EXPECT_FALSE(std::filesystem::exists(tree.at("from/sub/go.txt")));
    EXPECT_TRUE(host.failures.empty()) << "a folder holding a kept file simply stays";
}

struct StopCase {
    const char* name;
    TransferMode mode;
    bool existingTarget;
};

class StopMidFile : public testing::TestWithParam<StopCase> {};

TEST_P(StopMidFile, LeavesNoTargetAndTheSourceWhole) {
    const StopCase& param = GetParam();
    TempTree tree;
    TempTree other(shmIsAnotherFileSystem() ? "/dev/shm" : "/tmp");
    const std::string content = randomBytes(3 * fileops::kMaxStep + 5, 7);
    tree.write("big.bin", content);
    if (param.existingTarget)
        writeFile(other.at("big.bin"), "old");

    TestHost host;
    host.onMoved = [&] { host.stop.request_stop(); };
    SteppedDataPath stepped; // a rename would not stop mid-file: the copy goes to /dev/shm
    transfer(param.mode, host, tree.path(), "big.bin", other.path(), stepped);

    EXPECT_GT(host.bytesMoved, 0);
    EXPECT_LT(host.bytesMoved, std::ssize(content));
    EXPECT_TRUE(host.failures.empty()) << "a stop is no failure";
    EXPECT_EQ(readFile(tree.at("big.bin")), content);
    EXPECT_EQ(std::filesystem::exists(other.at("big.bin")), param.existingTarget);
    if (param.existingTarget) {
        EXPECT_EQ(readFile(other.at("big.bin")), "old");
    }
    EXPECT_EQ(leftoverTempFiles(other.path()), 0);

    TestHost again; // the next job has its own stop source and finishes
    transfer(param.mode, again, tree.path(), "big.bin", other.path(), stepped);
    EXPECT_EQ(readFile(other.at("big.bin")), content);
    EXPECT_EQ(std::filesystem::exists(tree.at("big.bin")), param.mode == TransferMode::Copy);
}

INSTANTIATE_TEST_SUITE_P(CopyAndMove, StopMidFile,
                         testing::Values(StopCase{"Copy", TransferMode::Copy, false},
                                         StopCase{"CopyOverAFile", TransferMode::Copy, true},
                                         StopCase{"MoveAcross", TransferMode::Move, false}),
                         [](const auto& info) { return info.param.name; });

struct FailingWriteCase {
    const char* name;
    int error;
    std::int64_t failAfter;
};

class FailingWrite : public testing::TestWithParam<FailingWriteCase> {};

TEST_P(FailingWrite, IsReportedAndLeavesTheOldTargetAndNoTemporaryFile) {
    const FailingWriteCase& param = GetParam();
    TempTree tree;
    tree.write("from/new.bin", randomBytes(2 * fileops::kMaxStep, 3));
    tree.write("from/fresh.bin", randomBytes(1000, 4));
    tree.write("to/new.bin", "old target");

    TestHost host;
    SteppedDataPath failing(param.error, param.failAfter);
    transfer(TransferMode::Copy, host, tree.at("from"), "new.bin", tree.at("to"), failing);
    transfer(TransferMode::Move, host, tree.at("from"), "fresh.bin", tree.at("to"), failing);

    ASSERT_EQ(host.failures.size(), 1u) << "a move within one file system renames";
    const fileops::Failure& failure = host.failures[0];
    EXPECT_EQ(
        std::tuple(failure.problem, failure.error, failure.diskFull(), failure.path),
        std::tuple(Problem::CopyFailed, param.error, param.error == ENOSPC, tree.at("to/new.bin")));
    EXPECT_EQ(readFile(tree.at("to/new.bin")), "old target");
    EXPECT_EQ(leftoverTempFiles(tree.at("to")), 0);
}

INSTANTIATE_TEST_SUITE_P(DiskFullAndIoError, FailingWrite,
                         testing::Values(FailingWriteCase{"DiskFullAtOnce", ENOSPC, 0},
                                         FailingWriteCase{"DiskFullMidFile", ENOSPC, 1},
                                         FailingWriteCase{"IoErrorMidFile", EIO, 1}),
                         [](const auto& info) { return info.param.name; });

TEST(Transfer, SocketsAreReportedAndPassedOver) {
    TempTree tree;
    tree.write("from/sub/a.txt", "a");
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = tree.at("from/sub/sock");
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    tree.dir("to");

    TestHost host;
    transfer(TransferMode::Copy, host, tree.at("from"), "sub", tree.at("to"));
    ::close(sock);

    ASSERT_EQ(host.failures.size(), 1u);
    EXPECT_EQ(std::tie(host.failures[0].problem, host.failures[0].path),
              std::tuple(Problem::Socket, path));
    EXPECT_EQ(readFile(tree.at("to/sub/a.txt")), "a");
}

// Runs `work` on a thread with a stack far smaller than a job thread's, so that a walk that
// recursed once per level would overflow it within the test's depth.
void onSmallStack(const std::function<void()>& work) {
    pthread_attr_t attributes;
    ASSERT_EQ(::pthread_attr_init(&attributes), 0);
    ASSERT_EQ(::pthread_attr_setstacksize(&attributes, 256 << 10), 0);
    pthread_t thread;
    auto run = [](void* work) -> void* {
        (*static_cast<const std::function<void()>*>(work))();
        return nullptr;
    };
    ASSERT_EQ(
        ::pthread_create(&thread, &attributes, run, const_cast<std::function<void()>*>(&work)), 0);
    ::pthread_join(thread, nullptr);
    ::pthread_attr_destroy(&attributes);
}

// A move across file systems walks as a copy does; one in memory stays fast on a busy machine,
// where a thousand folders on disk take seconds to remove.
TEST(DeepTree, IsCopiedAndDeletedWithoutTheThreadsStack) {
    constexpr int kDepth = 1000;
    TempTree tree(shmIsAnotherFileSystem() ? "/dev/shm" : "/tmp");
    std::string bottom = "deep";
    {
        UniqueFd folder = fileops::openFolder(tree.path());
        for (int level = 0; level < kDepth; ++level) {
            const char* name = level == 0 ? "deep" : "d";
            ASSERT_EQ(::mkdirat(folder.get(), name, 0755), 0);
            folder = fileops::openSubfolder(folder.get(), name);
            bottom += level == 0 ? "" : "/d";
        }
        ::close(::openat(folder.get(), "bottom", O_CREAT | O_WRONLY, 0644));
    }
    tree.dir("copy");

    TestHost host;
    onSmallStack([&] { transfer(TransferMode::Copy, host, tree.path(), "deep", tree.at("copy")); });
    EXPECT_TRUE(std::filesystem::exists(tree.at("copy/" + bottom + "/bottom")));
    for (const std::string& folder : {tree.path(), tree.at("copy")}) {
        bool removed = false;
        onSmallStack([&] {
            const UniqueFd fd = fileops::openFolder(folder);
            removed = fileops::Removal(host, host.stop.get_token()).run({fd.get(), folder}, "deep");
        });
        EXPECT_TRUE(removed);
        EXPECT_FALSE(std::filesystem::exists(folder + "/deep"));
    }
    for (const fileops::Failure& failure : host.failures)
        ADD_FAILURE() << failure.path.substr(0, 80) << ": " << failure.error;
}

} // namespace
