// Desktop entries' command lines, and a program that cannot start.
#include "platform/desktop_entry.h"
#include "platform/desktop_tools.h"

#include "support/pump.h"

#include <QDBusConnection>
#include <gtest/gtest.h>

#include <tuple>

namespace {

TEST(DesktopEntry, ExecValuesBecomeArgumentLists) {
    const std::tuple<const char*, const char*, QStringList> cases[] = {
        {"gedit %U", "/a b/c.txt", {"gedit", "/a b/c.txt"}},
        {"kate -b %F", "/x", {"kate", "-b", "/x"}},
        {"editor", "/x", {"editor", "/x"}},
        {"editor %f", "", {"editor"}},
        {"\"/opt/my editor/bin/ed\" --new %u", "/x", {"/opt/my editor/bin/ed", "--new", "/x"}},
        {"sh -c \"echo \\\\\"hi\\\\\"\" %f", "/x", {"sh", "-c", "echo \"hi\"", "/x"}},
        {"ed --name=%c --icon %i 100%% %f", "/x", {"ed", "--name=", "--icon", "100%", "/x"}},
        {"\"ed\\sx\"  %k", "-y", {"ed x", "-y"}},
        {"", "/x", {}},
    };
    for (const auto& [exec, file, command] : cases)
        EXPECT_EQ(desktopEntryCommand(QString::fromUtf8(exec), QString::fromUtf8(file)), command)
            << exec;

    EXPECT_EQ(desktopEntryValue("# x\nExec=wrong\n[Desktop Entry]\nName=E\nExec = ed %F\n"
                                "[Desktop Action New]\nExec=ed --new\n",
                                "Exec"),
              "ed %F");
    EXPECT_EQ(desktopEntryValue("[Desktop Entry]\nName=E\n", "Exec"), "");
}

TEST(DesktopTools, AProgramThatCannotStartIsReportedWithTheReason) {
    std::vector<std::string> failures;
    DesktopTools tools([&](const std::string& text) { failures.push_back(text); },
                       QDBusConnection(QStringLiteral("no bus")));
    EXPECT_FALSE(tools.startProgram("/bin/sh", {}, "/no/such/folder"));
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].rfind("Could not start \"/bin/sh\".\n\n", 0), 0u) << failures[0];
    EXPECT_GT(failures[0].size(), std::string("Could not start \"/bin/sh\".\n\n").size());
}

} // namespace
