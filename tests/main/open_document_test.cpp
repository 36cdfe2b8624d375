// Opening a file the desktop cannot open says so, naming the file.
#include "main/window_harness.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>

namespace {

TEST(OpenDocument, AFileTheDesktopCannotOpenIsNamedInAMessage) {
    WindowHarness harness;
    const std::string savedPath = std::getenv("PATH");
    const std::string document = harness.home.file("report.odx");
    const std::string noOpener = harness.home.dir("bin-without-opener");
    const std::string noHandler = harness.home.dir("bin-with-opener");
    // xdg-open's answer when no program is set up for the file's type.
    ::chmod(harness.home.write("bin-with-opener/xdg-open", "#!/bin/sh\nexit 3\n").c_str(), 0755);
    const struct {
        std::string folder;
        const char* reason;
    } cases[] = {
        {noOpener, "No desktop opener (xdg-open) is installed."},
        {noHandler, "No program is set up to open files of this type."},
    };
    for (const auto& c : cases) {
        setenv("PATH", c.folder.c_str(), 1);
        harness.create();
        harness.window->openDocument(document);
        EXPECT_TRUE(pumpUntil([&] { return !harness.messages->shown().empty(); }));
        setenv("PATH", savedPath.c_str(), 1);
        const std::vector<MessageRequest> shown = harness.messages->shown();
        ASSERT_EQ(shown.size(), 1u) << c.reason;
        EXPECT_EQ(shown[0].title, "Tarvo Manager");
        EXPECT_NE(shown[0].text.find(document), std::string::npos) << shown[0].text;
        EXPECT_NE(shown[0].text.find(c.reason), std::string::npos) << shown[0].text;
        EXPECT_EQ(shown[0].buttons, MessageButton::Ok);
    }
}

} // namespace
