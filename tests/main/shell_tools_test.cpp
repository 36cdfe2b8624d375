// The commands that start the desktop's programs, against fake programs on PATH that record
// their name, working folder and arguments; and the tray and activation behaviour.
#include "main/language_dialog.h"
#include "main/window_harness.h"

#include "support/file_content.h"

#include <QAbstractButton>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTest>
#include <gtest/gtest.h>

#include <atomic>
#include <sstream>
#include <sys/stat.h>

namespace {

class ShellToolsTest : public testing::Test, protected WindowHarness {
protected:
    void SetUp() override {
        savedPath_ = std::getenv("PATH");
        usePrograms({});
    }
    void TearDown() override {
        window.reset();
        setenv("PATH", savedPath_.c_str(), 1);
    }

    // A fresh folder of fake programs becomes the whole PATH. Each program appends its name,
    // its working folder and its arguments (one a line, in brackets) to the log, writes `error`
    // on stderr and ends with `status`.
    void usePrograms(const std::vector<std::string>& names, int status = 0,
                     const std::string& error = {}) {
        const std::string folder = bin.dir("bin" + std::to_string(++folders_));
        for (const std::string& name : names)
            fake(folder, name, status, error);
        setenv("PATH", folder.c_str(), 1);
    }
    void fake(const std::string& folder, const std::string& name, int status = 0,
              const std::string& error = {}) {
        script(folder, name,
               "{ echo " + name +
                   "; pwd -P; for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done; } >> '" + log() +
                   "'\nprintf '%s' '" + error + "' >&2\nexit " + std::to_string(status) + "\n");
    }
    static void script(const std::string& folder, const std::string& name,
                       const std::string& body) {
        const std::string path = folder + "/" + name;
        writeFile(path, "#!/bin/sh\n" + body);
        ::chmod(path.c_str(), 0755);
    }
    std::string log() const { return bin.at("log"); }
    std::vector<std::string> logged() {
        std::vector<std::string> lines;
        std::istringstream in(std::filesystem::exists(log()) ? readFile(log()) : "");
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }
    // Waits until a program has logged that many lines.
    std::vector<std::string> waitForLog(std::size_t lines) {
        pumpUntil([&] { return logged().size() >= lines; });
        return logged();
    }
    // Triggers the item and returns what its program logged, once it logged that many lines.
    std::vector<std::string> started(const char* item, std::size_t lines) {
        const std::size_t before = logged().size();
        action(item)->trigger();
        const auto all = waitForLog(before + lines);
        return {all.begin() + std::min(before, all.size()), all.end()};
    }
    bool noProgramRunning() { return window->findChildren<QProcess*>().isEmpty(); }

    TempTree bin;

private:
    std::string savedPath_;
    int folders_ = 0;
};

TEST_F(ShellToolsTest, TheFirstCandidateOnPathStartsAndItemsWithoutOneAreDisabled) {
    struct Case {
        const char* item;
        const char* button; // the toolbar's twin, if any
        std::vector<std::string> programs;
        const char* started; // none: the item is disabled
    };
    const Case cases[] = {
        {"DOS1", "SpeedButton37", {"xterm", "konsole"}, "konsole"},
        {"DOS1", "SpeedButton37", {}, nullptr},
        {"ControlPanel1", "SpeedButton41", {"lxqt-config", "systemsettings"}, "systemsettings"},
        {"ControlPanel1", "SpeedButton41", {"konsole"}, nullptr},
        {"DeviceManager1", nullptr, {"lshw-gtk", "kinfocenter"}, "kinfocenter"},
        {"Print1", "SpeedButton25", {}, nullptr},
    };
    for (const Case& c : cases) {
        usePrograms(c.programs);
        create();
        const bool expected = c.started != nullptr;
        EXPECT_EQ(action(c.item)->isEnabled(), expected) << c.item;
        if (c.button) {
            EXPECT_EQ(window->findChild<QAbstractButton*>(c.button)->isEnabled(), expected)
                << c.button;
        }
        if (!expected)
            continue;
        EXPECT_EQ(started(c.item, 2).at(0), c.started) << c.item;
    }
}

TEST_F(ShellToolsTest, PrintAndEditWithTakeFileRowsAndHandOverTheNameIntact) {
    const std::string name = "-a \"b\" c's.txt";
    home.write(name, "text");
    home.dir("folder");
    usePrograms({"lp", "gedit"});
    const std::string bins = std::getenv("PATH");
    // The desktop's default for text files, named through xdg-mime.
    fake(bins, "fakeedit");
    script(bins, "xdg-mime", "echo fake.desktop\n");
    home.write(".local/share/applications/fake.desktop",
               "[Desktop Entry]\nName=Fake\nExec=fakeedit --tab %U\n[Desktop Action New]\n"
               "Exec=fakeedit --new\n");
    ASSERT_TRUE(open());
    const std::string file = home.at(name);

    const std::string here = std::filesystem::current_path().string();
    select(PanelSide::Left, name);
    EXPECT_EQ(started("Print1", 4),
              (std::vector<std::string>{"lp", here, "[--]", "[" + file + "]"}));
    EXPECT_EQ(started("DefaultEdit1", 4),
              (std::vector<std::string>{"fakeedit", here, "[--tab]", "[" + file + "]"}));
    // Without a desktop default, the first text editor found.
    std::filesystem::remove(bins + "/xdg-mime");
    EXPECT_EQ(started("DefaultEdit1", 3),
              (std::vector<std::string>{"gedit", here, "[" + file + "]"}));

    ASSERT_TRUE(pumpUntil([&] { return noProgramRunning(); }));
    for (const char* cell : {"[folder]", "[..]"}) {
        select(PanelSide::Left, cell);
        action("Print1")->trigger();
        action("DefaultEdit1")->trigger();
        EXPECT_TRUE(noProgramRunning()) << cell;
    }
    EXPECT_EQ(logged().size(), 11u);
    EXPECT_TRUE(messages->shown().empty());
}

TEST_F(ShellToolsTest, AToolThatFailsIsReportedWithItsOwnErrorText) {
    usePrograms({"lp"}, 1, "lp: Error - no default destination available.");
    home.write("page.txt", "text");
    ASSERT_TRUE(open());
    select(PanelSide::Left, "page.txt");
    action("Print1")->trigger();
    ASSERT_TRUE(pumpUntil([&] { return !messages->shown().empty(); }));
    const std::string text = messages->shown().back().text;
    EXPECT_NE(text.find("lp: Error - no default destination available."), std::string::npos)
        << text;
}

TEST_F(ShellToolsTest, NetworkMountsTakeTheLocationAskedFor) {
    usePrograms({"gio"});
    ASSERT_TRUE(open());
    messages->answerTextNext("-odd place");
    action("MapNetworkDrive1")->trigger();
    waitForLog(4); // one mount at a time, so that the log keeps their order
    messages->answerTextNext("/mnt/share");
    action("DisconnectNetworkDrive1")->trigger();
    action("MapNetworkDrive1")->trigger(); // cancelled
    const auto lines = waitForLog(9);
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[2] + lines[3], "[mount][./-odd place]");
    EXPECT_EQ(lines[6] + lines[7] + lines[8], "[mount][-u][/mnt/share]");
    const auto asked = messages->shown();
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[0].title + "|" + asked[0].text + "|" + asked[1].text,
              tr("MapNetworkDrive") + "|Location:\n|Location:\n" + home.path())
        << "the second offers the active folder";
}

TEST_F(ShellToolsTest, HideInTrayMinimisesWithoutATrayAndOpenBringsTheWindowBack) {
    ASSERT_TRUE(open());
    ASSERT_TRUE(activate());
    press(Qt::Key_M, Qt::ControlModifier);
    if (QSystemTrayIcon::isSystemTrayAvailable())
        EXPECT_FALSE(window->isVisible());
    else
        EXPECT_TRUE(window->isMinimized() && window->isVisible());
    EXPECT_TRUE(window->findChild<QSystemTrayIcon*>()->isVisible())
        << "for a tray that comes later";
    auto* menu = child<QMenu>("PopupMenu1");
    menu->popup(QPoint(0, 0));
    ASSERT_TRUE(pumpUntil([&] { return menu->isVisible(); }));
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action("Otwrz1")).center());
    EXPECT_TRUE(pumpUntil([&] { return window->isVisible() && !window->isMinimized(); }));
    EXPECT_FALSE(window->windowHandle()->windowStates() & Qt::WindowMinimized);
}

TEST_F(ShellToolsTest, APressOnAPanelsPathRowActivatesIt) {
    ASSERT_TRUE(open());
    for (const auto& [side, number] : {std::pair{PanelSide::Right, 1}, {PanelSide::Left, 2}})
        for (QWidget* target : {static_cast<QWidget*>(panel(side).widgets().pathLabel),
                                panel(side).widgets().pathRow}) {
            window->activatePanel(otherSide(side));
            QTest::mousePress(target, Qt::LeftButton, {}, QPoint(2, 2));
            EXPECT_EQ(window->activePanelNumber(), number) << target->objectName().toStdString();
        }
}

TEST_F(ShellToolsTest, ActivationRefreshesThePanelsFromTheSecondIdleOneOn) {
    ASSERT_TRUE(open());
    std::atomic<bool> release{false}; // a posted refresh shows as a busy mailbox
    holdUntil<cmd::RefreshPanels>(window->engine().remoteWorker(), release);
    const auto activate = [&] {
        emit qApp->applicationStateChanged(Qt::ApplicationInactive);
        emit qApp->applicationStateChanged(Qt::ApplicationActive);
    };
    activate();
    EXPECT_TRUE(window->engine().remoteCommands().idle()) << "the first activation only repaints";
    activate();
    EXPECT_TRUE(window->engine().remoteCommands().holds<cmd::RefreshPanels>());
    release = true;
    EXPECT_TRUE(pumpUntil([&] { return window->engine().remoteCommands().idle(); }));

    window->setPanelsEnabled(false); // a command runs
    ASSERT_TRUE(pumpUntil([&] { return !window->findChild<QWidget*>("Panel5")->isEnabled(); }));
    activate();
    EXPECT_TRUE(window->engine().remoteCommands().idle());
}

TEST_F(ShellToolsTest, AnEditorForTheTerminalStartsInOneAndAMissingEditorIsDisabled) {
    home.write("a b.txt", "text");
    home.write(".local/share/applications/vim.desktop",
               "[Desktop Entry]\nName=Vim\nExec=vim %F\nTerminal=true\n");
    const std::string file = home.at("a b.txt");
    const std::string here = std::filesystem::current_path().string();
    struct Case {
        std::vector<std::string> programs;
        std::vector<std::string> started; // empty: a box, or nothing when disabled
        bool enabled = true;
    };
    const Case cases[] = {
        {{"vim", "x-terminal-emulator", "xterm"}, {"x-terminal-emulator", "[-e]", "vim"}},
        {{"vim", "lxterminal", "gnome-terminal"}, {"gnome-terminal", "[--]", "vim"}},
        {{"vim", "gedit"}, {"gedit"}},
        {{"vim"}, {}},
        {{"xterm"}, {}, false},
    };
    for (const Case& c : cases) {
        usePrograms(c.programs);
        const std::string bins = std::getenv("PATH");
        script(bins, "xdg-mime", "echo xdg-mime >> '" + log() + "'\necho vim.desktop\n");
        const std::size_t asked = logged().size();
        ASSERT_TRUE(open());
        // The default is asked for once the window shows, unless an editor of the list is there.
        if (std::find(c.programs.begin(), c.programs.end(), "gedit") == c.programs.end()) {
            ASSERT_EQ(waitForLog(asked + 1).at(asked), "xdg-mime");
        }
        ASSERT_TRUE(pumpUntil([&] { return noProgramRunning(); })) << "the default was asked for";
        EXPECT_EQ(action("DefaultEdit1")->isEnabled(), c.enabled) << c.programs.size();
        EXPECT_EQ(child<QAbstractButton>("SpeedButton42")->isEnabled(), c.enabled);
        trigger("Jzyk1");
        auto* language = window->findChildren<TOKRightDlg12*>().back();
        EXPECT_EQ(language->findChild<QPushButton*>("SpeedButton4")->isEnabled(), c.enabled);
        language->close();

        ASSERT_TRUE(activate());
        select(PanelSide::Left, "a b.txt");
        const std::size_t before = logged().size();
        const std::size_t boxes = messages->shown().size();
        press(Qt::Key_F3);
        if (!c.started.empty()) {
            // F3 asks for the desktop's default each time.
            std::vector<std::string> expected{"xdg-mime", c.started.front(), here};
            for (std::size_t i = 1; i < c.started.size(); ++i)
                expected.push_back(c.started[i].front() == '['
                                       ? c.started[i]
                                       : "[" + bins + "/" + c.started[i] + "]");
            expected.push_back("[" + file + "]");
            const auto all = waitForLog(before + expected.size());
            EXPECT_EQ(std::vector<std::string>(all.begin() + before, all.end()), expected);
        } else if (c.enabled) {
            ASSERT_TRUE(pumpUntil([&] { return messages->shown().size() > boxes; }));
            EXPECT_EQ(lastBox().rfind("The text editor \"vim\" runs in a terminal, and no terminal "
                                      "program is installed: x-terminal-emulator, ",
                                      0),
                      0u)
                << lastBox();
        }
        ASSERT_TRUE(pumpUntil([&] { return noProgramRunning(); }));
    }
}

} // namespace
