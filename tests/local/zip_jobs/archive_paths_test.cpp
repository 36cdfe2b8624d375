#include "local/zip_jobs/archive_paths.h"
#include "local/zip_jobs/zip_failures.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

TEST(ArchivePaths, TheProposedArchiveIsNamedAfterThePanelsFolder) {
    const std::pair<const char*, const char*> cases[] = {
        {"/home/ann", "/home/ann/ann.zip"},
        {"/home/ann/", "/home/ann/ann.zip"},
        {"/ab", "/ab/ab.zip"},
        {"/", "/root.zip"},
    };
    for (const auto& [folder, proposed] : cases)
        EXPECT_EQ(proposedArchivePath(folder), proposed) << folder;
}

TEST(ArchivePaths, TypedTextsAreTakenFromThePanelsFolderAndFoldersEndInASlash) {
    // Typed text, the path it names and the folder it names.
    for (const auto& [typed, path, folder] :
         {std::tuple{"/home/ann/out", "/home/ann/out", "/home/ann/out/"},
          {"/home/ann/out/", "/home/ann/out/", "/home/ann/out/"},
          {"out", "/home/ann/out", "/home/ann/out/"},
          {"../bob/x.zip", "/home/bob/x.zip", "/home/bob/x.zip/"},
          {"", "/home/ann/", "/home/ann/"},
          {"/", "/", "/"}}) {
        EXPECT_EQ(resolveTypedPath("/home/ann", typed), path) << typed;
        EXPECT_EQ(resolveTypedFolder("/home/ann", typed), folder) << typed;
    }
}

TEST(ZipFailures, TheReportNamesAtMostTwentyEntries) {
    ZipFailures failures;
    std::string expected = "Heading\n";
    for (int i = 0; i < 25; ++i) {
        failures.add("entry" + std::to_string(i), "reason");
        if (i < 20)
            expected += "\nentry" + std::to_string(i) + ": reason";
    }
    EXPECT_EQ(failures.report("Heading"), expected + "\n...");
}

} // namespace
