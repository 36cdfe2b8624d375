// Opening a file the desktop cannot open says so, naming the file.
#include "main/main_window.h"

#include "support/scripted_messages.h"
#include "support/temp_tree.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <sys/stat.h>

namespace {

using namespace std::chrono_literals;

class OpenDocumentTest : public testing::Test {
protected:
    void SetUp() override {
        setenv("TARVO_HOME", program.path().c_str(), 1);
        savedPath = std::getenv("PATH");
    }
    void TearDown() override {
        setenv("PATH", savedPath.c_str(), 1);
        unsetenv("TARVO_HOME");
    }

    // The messages shown once the window has opened path, with only folder on the PATH.
    std::vector<MessageRequest> open(const std::string& path, const std::string& folder) {
        setenv("PATH", folder.c_str(), 1);
        ScriptedMessages* messages = nullptr;
        TForm1 window([&](UiBridge&, QWidget*) {
            auto service = std::make_unique<ScriptedMessages>();
            messages = service.get();
            return service;
        });
        window.openDocument(path);
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        while (messages->shown().empty() && std::chrono::steady_clock::now() < deadline)
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        return messages->shown();
    }

    TempTree program;
    TempTree files;
    std::string savedPath;
};

TEST_F(OpenDocumentTest, AFileTheDesktopCannotOpenIsNamedInAMessage) {
    const std::string document = files.file("report.odx");
    const std::string noOpener = files.dir("bin-without-opener");
    const std::string noHandler = files.dir("bin-with-opener");
    // xdg-open's answer when no program is set up for the file's type.
    ::chmod(files.write("bin-with-opener/xdg-open", "#!/bin/sh\nexit 3\n").c_str(), 0755);
    const struct {
        std::string folder;
        const char* reason;
    } cases[] = {
        {noOpener, "No desktop opener (xdg-open) is installed."},
        {noHandler, "No program is set up to open files of this type."},
    };
    for (const auto& c : cases) {
        const std::vector<MessageRequest> shown = open(document, c.folder);
        ASSERT_EQ(shown.size(), 1u) << c.reason;
        EXPECT_EQ(shown[0].title, "Tarvo Manager");
        EXPECT_NE(shown[0].text.find(document), std::string::npos) << shown[0].text;
        EXPECT_NE(shown[0].text.find(c.reason), std::string::npos) << shown[0].text;
        EXPECT_EQ(shown[0].buttons, MessageButton::Ok);
    }
}

} // namespace
