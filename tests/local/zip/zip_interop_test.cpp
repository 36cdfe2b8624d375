// Interoperability with the zip tools of the system: archives we write pass their checks and
// unpack to the source tree; archives they write unpack to the source tree through us.

#include "zip_test_support.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>

namespace tarvo::zip {
namespace {

// The tools must see UTF-8 names as UTF-8 whatever locale the test runs in.
const std::string Utf8 = "LC_ALL=C.UTF-8 ";

class Interop : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(dir.at("src/tree/emptydir"));
        const std::vector<std::pair<std::string, std::string>> files = {
            {"hello.txt", std::string(5000, 'h') + "ello\n"}, {"empty.txt", ""},
            {"random.bin", randomBytes(200000, 1)},           {"archive.gz", randomBytes(5000, 2)},
            {"sub/deep/inner.txt", "deep inside\n"},          {"Grüße.txt", "unicode name\n"},
        };
        std::int64_t time = 1500000000;
        for (const auto& [name, content] : files) {
            dir.write("src/tree/" + name, content);
            test::setTimes(tree + "/" + name, time + 7, time);
            time += 86400 * 33 + 1;
        }
    }

    std::string packOurs() {
        const std::string archive = dir.at("ours.zip");
        ZipHandle writer = ZipCreate(archive);
        test::packTree(writer, tree, "tree");
        EXPECT_EQ(ZipCloseWriter(writer), ZipOk);
        return archive;
    }

    TempTree dir;
    const std::string tree = dir.at("src/tree");
};

TEST_F(Interop, OurArchivesPassThePeersChecksAndUnpackToTheSource) {
    const std::string archive = packOurs();
    for (const std::string check : {"unzip -t ", "zipinfo -v "}) {
        const CommandResult checked = runCommand(Utf8 + check + shellQuoted(archive));
        EXPECT_EQ(checked.status, 0) << check << checked.output;
    }
    const CommandResult python = test::pythonTestZip(archive);
    EXPECT_EQ(python.status, 0) << python.output;

    const std::string into[] = {shellQuoted(dir.at("bsdtar")), shellQuoted(dir.at("unzip"))};
    const std::pair<std::string, std::string> unpackers[] = {
        {"bsdtar", "mkdir " + into[0] + " && " + Utf8 + "bsdtar -x -f " + shellQuoted(archive) +
                       " -C " + into[0]},
        {"unzip", Utf8 + "unzip -q " + shellQuoted(archive) + " -d " + into[1]}};
    for (const auto& [tool, command] : unpackers) {
        const CommandResult unpacked = runCommand(command);
        ASSERT_EQ(unpacked.status, 0) << unpacked.output;
        EXPECT_TRUE(test::sameTree(tree, dir.at(tool + "/tree"), true)) << tool;
    }
}

// An archive another tool writes of src/tree, which we unpack to the same tree.
struct PeerArchive {
    const char* name;
    std::string command;  // run in src/; writes the archive named by ARCHIVE
    const char* unpacked; // where the tree lands in the unpack folder
    bool keepsTimes;      // to the second; Python keeps only the two-second DOS time
    std::string marker;   // bytes that show the tool wrote the kind of archive meant
};

class PeerArchives : public Interop, public ::testing::WithParamInterface<PeerArchive> {};

TEST_P(PeerArchives, UnpackToTheSourceTree) {
    const PeerArchive& peer = GetParam();
    const std::string archive = dir.at(std::string(peer.name) + ".zip");
    std::string command = peer.command;
    command.replace(command.find("ARCHIVE"), 7, shellQuoted(archive));
    const CommandResult made =
        runCommand("cd " + shellQuoted(dir.at("src")) + " && " + Utf8 + command);
    ASSERT_EQ(made.status, 0) << made.output;
    EXPECT_NE(test::FileBytes(archive).bytes.find(peer.marker), std::string::npos);
    test::unpackAll(archive, dir.at("out"));
    EXPECT_TRUE(test::sameTree(tree, dir.at("out") + peer.unpacked, peer.keepsTimes));
}

std::string python(const char* mode) {
    return test::Python + " " + shellQuoted(test::testSourceFile("write_python_archive.py")) + " " +
           mode + " tree ARCHIVE";
}

std::string stubbed(const std::string& zip) {
    return zip +
           " ../plain.zip tree && { printf '#!/bin/sh\\nexit 0\\n'; cat ../plain.zip; } > ARCHIVE";
}

const std::string CentralHeader("PK\x01\x02", 4);

const PeerArchive kPeers[] = {
    {"infozip", "zip -r -q ARCHIVE tree", "/tree", true, CentralHeader},
    {"streamed", "zip -r -q - tree | cat > ARCHIVE", "/tree", true, std::string("PK\x07\x08", 4)},
    {"zip64", "zip -r -q -fz ARCHIVE tree", "/tree", true, std::string("\x01\x00\x10\x00", 4)},
    {"python_stored", python("stored"), "/tree", false, CentralHeader},
    {"python_deflated", python("deflated"), "/tree", false, CentralHeader},
    {"python_zip64", python("zip64"), "/tree", false, std::string("\x01\x00\x10\x00", 4)},
    {"bsdtar", "bsdtar -c --format zip -f ARCHIVE tree", "/tree", true, CentralHeader},
    // Behind a self-extracting stub, whose bytes shift every offset the archive records.
    {"stub", stubbed("zip -r -q"), "/tree", true, "#!/bin/sh"},
    {"stub_zip64", stubbed("zip -r -q -fz"), "/tree", true, std::string("PK\x06\x07", 4)},
    // Entries named "./", "./hello.txt", ...
    {"bsdtar_dot", "bsdtar -c --format zip -f ARCHIVE -C tree .", "", true,
     std::string("./hello.txt")}};

INSTANTIATE_TEST_SUITE_P(Tools, PeerArchives, ::testing::ValuesIn(kPeers),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tarvo::zip
