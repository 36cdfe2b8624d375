// Interoperability with the zip tools of the system: archives we write pass their checks and
// unpack to the source tree; archives they write unpack to the source tree through us.

#include "zip_test_support.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

namespace tarvo::zip {
namespace {

using test::quoted;
using test::run;

// The tools must see UTF-8 names as UTF-8 whatever locale the test runs in.
const std::string Utf8 = "LC_ALL=C.UTF-8 ";

class Interop : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* folder :
             {"src", "src/tree", "src/tree/sub", "src/tree/sub/deep", "src/tree/emptydir"}) {
            ::mkdir(dir.at(folder).c_str(), 0755);
        }
        const std::vector<std::pair<std::string, std::string>> files = {
            {"hello.txt", std::string(5000, 'h') + "ello\n"}, {"empty.txt", ""},
            {"random.bin", randomBytes(200000, 1)},           {"archive.gz", randomBytes(5000, 2)},
            {"sub/deep/inner.txt", "deep inside\n"},          {"Grüße.txt", "unicode name\n"},
        };
        std::int64_t time = 1500000000;
        for (const auto& [name, content] : files) {
            writeFile(tree + "/" + name, content);
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
    const test::CommandResult tested = run(Utf8 + "unzip -t " + quoted(archive));
    EXPECT_EQ(tested.status, 0) << tested.output;
    const test::CommandResult info = run(Utf8 + "zipinfo -v " + quoted(archive));
    EXPECT_EQ(info.status, 0) << info.output;
    const test::CommandResult python = test::pythonTestZip(archive);
    EXPECT_EQ(python.status, 0) << python.output;

    const test::CommandResult bsdtar =
        run("mkdir " + quoted(dir.at("bsdtar")) + " && " + Utf8 + "bsdtar -x -f " +
            quoted(archive) + " -C " + quoted(dir.at("bsdtar")));
    ASSERT_EQ(bsdtar.status, 0) << bsdtar.output;
    EXPECT_TRUE(test::sameTree(tree, dir.at("bsdtar/tree"), true));

    const test::CommandResult unzip =
        run(Utf8 + "unzip -q " + quoted(archive) + " -d " + quoted(dir.at("unzip")));
    ASSERT_EQ(unzip.status, 0) << unzip.output;
    EXPECT_TRUE(test::sameTree(tree, dir.at("unzip/tree"), true));
}

TEST_F(Interop, WeReadInfoZipArchivesWrittenToFilesStreamedAndForcedToZip64) {
    const std::string inSource = "cd " + quoted(dir.at("src")) + " && " + Utf8;
    ASSERT_EQ(run(inSource + "zip -r -q ../info.zip tree").status, 0);
    test::unpackAll(dir.at("info.zip"), dir.at("info"));
    EXPECT_TRUE(test::sameTree(tree, dir.at("info/tree"), true));

    ASSERT_EQ(run(inSource + "zip -r -q - tree | cat > ../streamed.zip").status, 0);
    const test::FileBytes streamed(dir.at("streamed.zip"));
    ASSERT_NE(streamed.bytes.find(std::string("PK\x07\x08", 4)), std::string::npos)
        << "written with data descriptors";
    test::unpackAll(dir.at("streamed.zip"), dir.at("streamed"));
    EXPECT_TRUE(test::sameTree(tree, dir.at("streamed/tree"), true));

    // Zip64 records forced on every entry, as for files that may grow past 4 GiB.
    ASSERT_EQ(run(inSource + "zip -r -q -fz ../forced.zip tree").status, 0);
    test::unpackAll(dir.at("forced.zip"), dir.at("forced"));
    EXPECT_TRUE(test::sameTree(tree, dir.at("forced/tree"), true));
}

TEST_F(Interop, WeReadPythonArchivesStoredDeflatedAndZip64) {
    for (const char* mode : {"stored", "deflated", "zip64"}) {
        SCOPED_TRACE(mode);
        const std::string archive = dir.at(std::string(mode) + ".zip");
        const test::CommandResult made =
            run(test::Python + " " + quoted(test::testSourceFile("write_python_archive.py")) + " " +
                mode + " " + quoted(tree) + " " + quoted(archive));
        ASSERT_EQ(made.status, 0) << made.output;
        test::unpackAll(archive, dir.at(mode));
        // Python keeps only the DOS time, which has two-second steps.
        EXPECT_TRUE(test::sameTree(tree, dir.at(mode) + "/tree", false));
    }
    const test::FileBytes zip64(dir.at("zip64.zip"));
    EXPECT_NE(zip64.bytes.find(std::string("\x01\x00\x10\x00", 4)), std::string::npos)
        << "the entries really carry Zip64 extra fields";
}

TEST_F(Interop, WeReadBsdtarArchives) {
    const test::CommandResult made =
        run(Utf8 + "bsdtar -c --format zip -f " + quoted(dir.at("bsdtar.zip")) + " -C " +
            quoted(dir.at("src")) + " tree");
    ASSERT_EQ(made.status, 0) << made.output;
    test::unpackAll(dir.at("bsdtar.zip"), dir.at("out"));
    EXPECT_TRUE(test::sameTree(tree, dir.at("out/tree"), true));
}

} // namespace
} // namespace tarvo::zip
