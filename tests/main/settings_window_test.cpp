// The window's start from its files and its close, as a user meets them across two runs.
#include "main/window_harness.h"
#include "settings/settings_file.h"

#include "support/file_content.h"

#include <QApplication>
#include <QFileDialog>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/stat.h>

namespace {

QImage imageOf(const QIcon& icon) {
    return icon.isNull() ? QImage() : icon.pixmap(16).toImage();
}

// The home folder holds three files and a folder.
class SettingsWindowTest : public testing::Test, protected WindowHarness {
protected:
    void SetUp() override {
        home.file("small.txt", 10);
        home.file("large.txt", 300);
        home.file("middle.txt", 20);
        home.dir("sub");
    }

    std::string settingsPath() const { return program.at("TarvoManager.xml"); }

    // The default document but for these leaves.
    void writeSettings(const std::vector<std::pair<std::string, std::string>>& leaves) {
        TXMLTarvoManagerType document = DefaultTarvoManager();
        TXMLSettingsType settings = document.Get_Settings();
        for (const auto& [name, text] : leaves)
            settings.child(name).setText(text);
        writeFile(settingsPath(), document.markup());
    }
    RunSettings savedSettings() {
        return readRunSettings(openSettingsFile(settingsPath()).document);
    }

    // Starts the window with the settings of the program folder, as the program does.
    void start() {
        create();
        window->resize(1000, 800);
        window->show();
        ASSERT_TRUE(pumpUntil([this] { return listed(left()) && listed(right()); }));
    }
    // The panel shows what its explorer read last, and no command is running.
    bool listed(PanelController& panel) {
        return &panel.model().listing() == panel.explorer().GetListing().get() &&
               window->engine().remoteCommands().idle() && window->engine().localCommands().idle();
    }

    QToolButton* button(const char* name) { return child<QToolButton>(name); }
    QImage arrow(QStyle::StandardPixmap which) {
        return imageOf(window->style()->standardIcon(which));
    }
    std::vector<std::string> fileRows(PanelController& panel) {
        std::vector<std::string> names;
        for (int row = 0; row < panel.model().rowCount(); ++row)
            if (panel.model().kindOf(row) == PanelModel::RowKind::File)
                names.push_back(panel.model().nameCell(row));
        return names;
    }
};

TEST_F(SettingsWindowTest, FoldersBriefViewsAndIconModeComeBackAndAreSavedAgain) {
    struct Case {
        std::string leftTabDir;
        std::string leftStart; // a gone folder gives its nearest listable ancestor, no path home
        const char* reserved1;
        const char* reserved2;
        bool leftBrief;
        bool rightBrief;
        bool standard;
        const char* saved1; // the four spellings the close writes
        const char* saved2;
    };
    const Case cases[] = {
        {home.at("sub"), home.at("sub"), ":", "", false, false, false, ":", "AllIcon"},
        {home.at("sub/gone/deeper"), home.at("sub"), " LeftBrief ", " StandardIcon ", true, false,
         true, " LeftBrief ", "StandardIcon"},
        {"", home.path(), ": RightBrief ", "AllIcon", false, true, false, ": RightBrief ",
         "AllIcon"},
        {"relative/folder", home.path(), "xLeftBriefRightBriefx", "StandardIcons", true, true, true,
         " LeftBrief  RightBrief ", "StandardIcon"},
    };
    for (const Case& c : cases) {
        writeSettings(
            {{"LeftTabDir", c.leftTabDir}, {"Reserved1", c.reserved1}, {"Reserved2", c.reserved2}});
        start();
        SCOPED_TRACE(c.leftTabDir + "|" + c.reserved1 + "|" + c.reserved2);
        EXPECT_EQ(
            std::pair(window->engine().leftExplorer().GetPath(), child<QLabel>("Label1")->text()),
            std::pair(c.leftStart, QString::fromStdString(c.leftStart)));
        EXPECT_EQ(std::tuple(window->briefView(PanelSide::Left),
                             window->briefView(PanelSide::Right),
                             button("SpeedButton22")->isHidden(), left().grid().columnWidth(4) == 0,
                             action("Standard1")->isChecked(), window->activePanelNumber()),
                  std::tuple(c.leftBrief, c.rightBrief, c.leftBrief, c.leftBrief, c.standard, 2));
        window->close();
        const std::string saved = readFile(settingsPath());
        EXPECT_NE(saved.find(std::string(">") + c.saved1 + "</Reserved1>"), std::string::npos);
        EXPECT_NE(saved.find(std::string(">") + c.saved2 + "</Reserved2>"), std::string::npos);
        window.reset();
    }
}

TEST_F(SettingsWindowTest, ABrokenFileIsReportedAtStartAndReplacedOnlyByTheClose) {
    const std::string broken = "<TarvoManager><Settings><SortTypeLeft>size 1-0";
    writeFile(settingsPath(), broken);
    start();
    ASSERT_EQ(messages->shown().size(), 1u);
    const MessageRequest shown = messages->shown()[0];
    EXPECT_EQ((shown.title + "|" + shown.text)
                  .rfind("Tarvo Manager|The settings file " + settingsPath() +
                             " could not be read (line ",
                         0),
              0u);
    EXPECT_EQ(window->engine().leftExplorer().GetSortKey(), "none");
    EXPECT_EQ(readFile(settingsPath()), broken);
    button("SpeedButton17")->click(); // date
    window->close();
    EXPECT_EQ(savedSettings().SortTypeLeft, "date 1-0");
}

TEST_F(SettingsWindowTest, SpecialFilesInTheProgramFolderAreReportedAndTheWindowComesUp) {
    for (const char* name : {"env.dat", "Favorites.dat", "HistoryLeft.dat"})
        std::filesystem::remove(program.at(name));
    for (const char* name : {"env.dat", "Favorites.dat"})
        ASSERT_EQ(::mkfifo(program.at(name).c_str(), 0600), 0);
    program.symlink("HistoryLeft.dat", "/dev/zero");
    start();
    ASSERT_EQ(messages->shown().size(), 1u);
    const std::string text = messages->shown()[0].text;
    for (const char* name : {"env.dat", "Favorites.dat", "HistoryLeft.dat"})
        EXPECT_NE(text.find("The file " + program.at(name) + " could not be read ("),
                  std::string::npos)
            << text;
    // A change of folder records no visit in the pipe's stead and does not wait on it.
    select(PanelSide::Left, "[sub]");
    QTest::keyClick(&left().grid(), Qt::Key_Return);
    ASSERT_TRUE(showing(PanelSide::Left, home.at("sub")));
    EXPECT_TRUE(std::filesystem::is_fifo(program.at("Favorites.dat")));
    EXPECT_TRUE(std::filesystem::is_symlink(program.at("HistoryLeft.dat")));
}

TEST_F(SettingsWindowTest, ALanguageRerunKeepsWhatTheUserChangedSinceTheStart) {
    writeSettings({{"SortTypeLeft", "name 0-1"}, {"Reserved2", "AllIcon"}});
    start();
    EXPECT_EQ(imageOf(button("SpeedButton14")->icon()), arrow(QStyle::SP_ArrowDown));
    EXPECT_EQ(fileRows(left()), (std::vector<std::string>{"small.txt", "middle.txt", "large.txt"}));
    const std::string file = readFile(settingsPath());
    button("SpeedButton15")->click();
    action("Standard1")->trigger();
    window->FormCreate();
    EXPECT_EQ(
        std::pair(window->engine().leftExplorer().GetSortKey(), action("Standard1")->isChecked()),
        std::pair(std::string("size 1-0"), true));
    EXPECT_TRUE(pumpUntil(
        [&] { return imageOf(button("SpeedButton15")->icon()) == arrow(QStyle::SP_ArrowDown); }));
    EXPECT_EQ(readFile(settingsPath()), file);
    EXPECT_EQ(window->engine().operationTexts().DeletingText, window->Translate("Deleting"));
}

TEST_F(SettingsWindowTest, TheCloseRunsOnceAndReportsAFailedSaveOnce) {
    writeSettings({});
    ::chmod(settingsPath().c_str(), 0444);
    const std::string file = readFile(settingsPath());
    start();
    window->close();
    window->close();
    ASSERT_EQ(messages->shown().size(), 1u);
    const MessageRequest shown = messages->shown()[0];
    EXPECT_EQ(shown.title + "|" + shown.text, "Tarvo Manager|Could not save configuration");
    EXPECT_TRUE(shown.buttons == MessageButton::Ok && shown.icon == MessageIcon::None);
    EXPECT_EQ(readFile(settingsPath()), file);
}

TEST_F(SettingsWindowTest, TerminationSignalsCloseTheWindowWhichSaves) {
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        start();
        button("SpeedButton16")->click(); // attributes
        std::raise(signal);
        ASSERT_TRUE(pumpUntil([this] { return !window->isVisible(); })) << signal;
        EXPECT_EQ(savedSettings().SortTypeLeft, "attr 1-0");
        window.reset();
        std::filesystem::remove(settingsPath());
    }
}

TEST_F(SettingsWindowTest, TheEditorChoiceIsKeptInEnvDat) {
    const std::string editor = program.write("bin/editor", "#!/bin/sh\n");
    ::chmod(editor.c_str(), 0755);
    writeFile(program.at("env.dat"), "EditorForF4=" + editor + "\n");
    start();
    EXPECT_TRUE(action("N9")->isChecked() && action("N9")->text().toStdString() == editor);

    action("Notepad1")->trigger();
    EXPECT_EQ(action("N9")->text(), "...");
    for (const bool choose : {false, true}) {
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            dialog->selectFile(QString::fromStdString(editor));
            choose ? static_cast<QDialog*>(dialog)->accept() : dialog->reject();
        });
        action("N9")->trigger();
        EXPECT_EQ(std::pair(action("N9")->isChecked(), window->editorPath()),
                  std::pair(choose, choose ? editor : std::string("notepad")));
    }
    EXPECT_EQ(readFile(program.at("env.dat")), "EditorForF4=" + editor + "\r\n");
}

TEST_F(SettingsWindowTest, TheSecondToolbarHasNineteenHintedButtonsAndTheViewButtonsWork) {
    start();
    const auto buttons = window->findChild<QWidget*>("Panel13")->findChildren<QToolButton*>();
    ASSERT_EQ(buttons.size(), 19);
    for (QToolButton* b : buttons)
        EXPECT_TRUE(!b->toolTip().isEmpty() && b->accessibleName() == b->toolTip())
            << b->objectName().toStdString();
    EXPECT_EQ(button("SpeedButton2")->toolTip().toStdString(), window->Translate("Brief"));

    const int dateWidth = button("SpeedButton17")->width();
    button("SpeedButton2")->click();
    EXPECT_TRUE(window->briefView(PanelSide::Left) && button("SpeedButton17")->isHidden());
    EXPECT_GT(left().grid().columnWidth(1), right().grid().columnWidth(1));
    button("SpeedButton34")->click();
    EXPECT_EQ(std::tuple(window->briefView(PanelSide::Left), button("SpeedButton17")->width(),
                         left().grid().columnWidth(1)),
              std::tuple(false, dateWidth, right().grid().columnWidth(1)));
}

} // namespace
