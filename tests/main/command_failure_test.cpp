// A command that throws is reported on the console and on stderr, and the panels are usable.
#include "main/main_window.h"
#include "workers/command_codes.h"

#include "support/pump.h"
#include "support/scripted_messages.h"
#include "support/temp_tree.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

namespace {

using namespace std::chrono_literals;

TEST(CommandFailure, IsLoggedOnTheConsoleAndStderrAndTheFailedCommandUnlocksThePanels) {
    TempTree program;
    setenv("TARVO_HOME", program.path().c_str(), 1);
    TForm1 window([](UiBridge&, QWidget*) { return std::make_unique<ScriptedMessages>(); });
    auto* console = window.findChild<QPlainTextEdit*>("Memo1");
    ASSERT_NE(console, nullptr);
    window.Panel5->setEnabled(false);
    window.Panel2->setEnabled(false);
    window.RemoteWorker->setHandler(cmdRefreshPanels, [](const CommandParams&) {
        throw std::runtime_error("the disk went away");
    });

    testing::internal::CaptureStderr();
    ASSERT_TRUE(postWhenTaken(window.RemoteCommand, cmdRefreshPanels));
    const auto reported = [&] {
        return console->toPlainText().contains("the disk went away") &&
               window.Panel5->isEnabled() && window.Panel2->isEnabled();
    };
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!reported() && std::chrono::steady_clock::now() < deadline)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    const std::string stderrText = testing::internal::GetCapturedStderr();

    EXPECT_TRUE(reported()) << console->toPlainText().toStdString();
    EXPECT_TRUE(console->toPlainText().contains(
        QRegularExpression(R"(^\[.+\] Status:> App error in command 555: the disk went away$)",
                           QRegularExpression::MultilineOption)))
        << console->toPlainText().toStdString();
    EXPECT_NE(stderrText.find("App error in command 555: the disk went away"), std::string::npos)
        << stderrText;
    EXPECT_TRUE(window.RemoteCommand.idle());
    unsetenv("TARVO_HOME");
}

} // namespace
