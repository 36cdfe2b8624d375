// A command that throws is reported on the console and on stderr, and the panels are usable.
#include "main/window_harness.h"

#include <QPlainTextEdit>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

TEST(CommandFailure, IsLoggedOnTheConsoleAndStderrAndTheFailedCommandUnlocksThePanels) {
    WindowHarness harness;
    harness.create();
    TForm1& window = *harness.window;
    auto* console = window.findChild<QPlainTextEdit*>("Memo1");
    ASSERT_NE(console, nullptr);
    window.findChild<QWidget*>("Panel5")->setEnabled(false);
    window.findChild<QWidget*>("Panel2")->setEnabled(false);
    window.engine().remoteWorker().on<cmd::RefreshPanels>(
        [](const cmd::RefreshPanels&) { throw std::runtime_error("the disk went away"); });

    testing::internal::CaptureStderr();
    ASSERT_TRUE(postWhenTaken(window.engine().remoteCommands(), cmd::RefreshPanels{}));
    const bool reported = pumpUntil([&] {
        return console->toPlainText().contains("the disk went away") &&
               window.findChild<QWidget*>("Panel5")->isEnabled() &&
               window.findChild<QWidget*>("Panel2")->isEnabled();
    });
    const std::string stderrText = testing::internal::GetCapturedStderr();

    EXPECT_TRUE(reported) << console->toPlainText().toStdString();
    EXPECT_TRUE(console->toPlainText().contains(
        QRegularExpression(R"(^\[.+\] Status:> App error in command 555: the disk went away$)",
                           QRegularExpression::MultilineOption)))
        << console->toPlainText().toStdString();
    EXPECT_NE(stderrText.find("App error in command 555: the disk went away"), std::string::npos)
        << stderrText;
    // The panels come back over the bridge before the worker frees its mailbox.
    EXPECT_TRUE(pumpUntil([&] { return window.engine().remoteCommands().idle(); }));
}

} // namespace
