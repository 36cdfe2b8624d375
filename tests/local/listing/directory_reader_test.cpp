#include "local/listing/cell_text.h"
#include "local/listing/directory_reader.h"
#include "local/listing/record_names.h"
#include "support/as_nobody.h"
#include "support/temp_tree.h"

#include <algorithm>
#include <cerrno>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <tuple>

namespace listing = tarvo::listing;

using listing::DirectoryListing;
using listing::ReadResult;
using listing::SearchRecord;
using testing::UnorderedElementsAre;

namespace {

const SearchRecord& find(const std::vector<SearchRecord>& records, const std::string& name) {
    const auto it = std::find_if(records.begin(), records.end(),
                                 [&](const SearchRecord& r) { return r.Name == name; });
    if (it == records.end())
        throw std::runtime_error("not listed: " + name);
    return *it;
}

// What readDirectory(path) gives when run by the unprivileged user "nobody", as a summary
// "error dirs... | files...".
std::string readAsNobody(const std::string& path) {
    return runAsNobody([&] {
        const ReadResult result = listing::readDirectory(path);
        std::ostringstream out;
        out << result.Error;
        for (const SearchRecord& r : result.Listing.Dirs)
            out << " d:" << r.Name << ':' << r.Size;
        for (const SearchRecord& r : result.Listing.Files)
            out << " f:" << r.Name << ':' << r.Size;
        return out.str();
    });
}

} // namespace

TEST(DirectoryReader, ListsEveryNameButSelfAndParentWithAttributesAndFullSizesAndTimes) {
    TempTree tree;
    tree.file(".hidden");
    tree.file(".x");
    tree.file("a.b");
    tree.file("a.");
    tree.file("...");
    ::chmod(tree.file("locked.txt").c_str(), 0444);
    tree.dir("empty");
    tree.dir(".config");
    const std::int64_t fiveGiB = std::int64_t{5} << 30;
    const std::int64_t after2038 = (std::int64_t{1} << 31) + 12345;
    tree.file("sparse.img", fiveGiB, after2038);

    const ReadResult result = listing::readDirectory(tree.path());

    ASSERT_TRUE(result.ok());
    EXPECT_THAT(
        namesOf(result.Listing.Files),
        UnorderedElementsAre(".hidden", ".x", "a.b", "a.", "...", "locked.txt", "sparse.img"));
    EXPECT_THAT(namesOf(result.Listing.Dirs), UnorderedElementsAre("empty", ".config"));
    const auto& files = result.Listing.Files;
    const auto& dirs = result.Listing.Dirs;
    EXPECT_EQ((std::vector<std::int32_t>{find(files, "a.b").Attr, find(files, ".x").Attr,
                                         find(files, "locked.txt").Attr, find(dirs, "empty").Attr,
                                         find(dirs, ".config").Attr}),
              (std::vector<std::int32_t>{listing::Archive, listing::Archive | listing::Hidden,
                                         listing::Archive | listing::ReadOnly, listing::Directory,
                                         listing::Directory | listing::Hidden}));
    EXPECT_EQ(std::tuple(find(files, "sparse.img").Size, find(files, "sparse.img").Time),
              std::tuple(fiveGiB, after2038));
    EXPECT_EQ(listing::sizeText(fiveGiB), "5368709120");
}

TEST(DirectoryReader, LinksShowTheirTargetsKindAndUnreachableOnesAreFiles) {
    TempTree tree;
    tree.dir("real-dir");
    tree.file("real-file", 4242);
    tree.symlink("to-dir", "real-dir");
    tree.symlink("to-file", "real-file");
    tree.symlink("dangling", "missing");
    tree.symlink("loop", "loop");

    const ReadResult result = listing::readDirectory(tree.path());

    ASSERT_TRUE(result.ok());
    EXPECT_THAT(namesOf(result.Listing.Dirs), UnorderedElementsAre("real-dir", "to-dir"));
    EXPECT_THAT(namesOf(result.Listing.Files),
                UnorderedElementsAre("real-file", "to-file", "dangling", "loop"));
    const SearchRecord& toFile = find(result.Listing.Files, "to-file");
    const SearchRecord& dangling = find(result.Listing.Files, "dangling");
    EXPECT_EQ(std::tuple(find(result.Listing.Dirs, "to-dir").IsSymlink,
                         find(result.Listing.Dirs, "real-dir").IsSymlink, toFile.IsSymlink,
                         toFile.Size, toFile.Attr, dangling.IsSymlink,
                         dangling.Attr & (listing::Directory | listing::Archive)),
              std::tuple(true, false, true, 4242, listing::Archive, true, 0));
}

TEST(DirectoryReader, ManyEntriesAreAllListedOnce) {
    // Enough entries to be examined on several threads.
    TempTree tree;
    constexpr int kCount = 10000;
    for (int i = 0; i < kCount; ++i)
        tree.file("f" + std::to_string(i), i);
    tree.dir("sub");

    const ReadResult result = listing::readDirectory(tree.path());

    ASSERT_TRUE(result.ok());
    ASSERT_EQ(result.Listing.Files.size(), std::size_t{kCount});
    std::vector<bool> seen(kCount);
    for (const SearchRecord& record : result.Listing.Files) {
        const int index = std::stoi(record.Name.substr(1));
        EXPECT_EQ(record.Size, index);
        EXPECT_FALSE(seen[index]) << record.Name;
        seen[index] = true;
    }
    EXPECT_THAT(namesOf(result.Listing.Dirs), UnorderedElementsAre("sub"));
}

TEST(DirectoryReader, AFolderThatCannotBeOpenedGivesItsErrnoAndNoEntries) {
    TempTree tree;
    const ReadResult missing = listing::readDirectory(tree.at("missing"));
    EXPECT_EQ(std::tuple(missing.Error, missing.Partial), std::tuple(ENOENT, false));
    const ReadResult notDir = listing::readDirectory(tree.file("plain"));
    EXPECT_EQ(notDir.Error, ENOTDIR);
    tree.file("entry");
    listing::DirectoryCalls pulledOut;
    pulledOut.open = [](const char*) -> DIR* {
        errno = ENOMEDIUM;
        return nullptr;
    };
    const ReadResult notReady = listing::readDirectory(tree.path(), pulledOut);
    EXPECT_EQ(std::tuple(notReady.Error, notReady.Partial, notReady.Listing.Files.size()),
              std::tuple(ENOMEDIUM, false, 0u));
}

TEST(DirectoryReader, AnUnprivilegedUserGetsEaccesOrNamesWithoutDetails) {
    TempTree tree;
    tree.dir("closed", 0700);
    tree.file("closed/secret");
    EXPECT_EQ(readAsNobody(tree.at("closed")), std::to_string(EACCES));
    // Readable but not searchable: the names are visible, their details are not; each entry
    // is kept by its kind.
    tree.dir("names-only", 0744);
    tree.dir("names-only/sub");
    tree.file("names-only/data", 100);
    EXPECT_EQ(readAsNobody(tree.at("names-only")), "0 d:sub:0 f:data:0");
}
