#include "main/main_window.h"
#include "main/qt_message_service.h"
#include "workers/command_codes.h"

#include "support/pump.h"
#include "support/scripted_messages.h"
#include "support/temp_tree.h"

#include <QApplication>
#include <QComboBox>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>

namespace {

// A program folder with the shipped files and two saved sites.
class MainWindowTest : public testing::Test {
protected:
    void SetUp() override {
        const std::filesystem::path shipped =
            std::filesystem::path(std::getenv("TARVO_SOURCE_DIR")) / "resources";
        std::filesystem::copy(shipped, std::filesystem::path(home.path()),
                              std::filesystem::copy_options::recursive);
        home.write("config/lista.txt", "alpha\r\nbeta\r\n");
        setenv("TARVO_HOME", home.path().c_str(), 1);
    }
    void TearDown() override { unsetenv("TARVO_HOME"); }

    TForm1::MessageServiceFactory scripted() {
        return [this](UiBridge&, QWidget*) {
            auto service = std::make_unique<ScriptedMessages>();
            messages = service.get();
            return service;
        };
    }

    TempTree home;
    ScriptedMessages* messages = nullptr;
};

TEST_F(MainWindowTest, AFreshWindowShowsBothPanelsTheSitesAndItsTexts) {
    TForm1 window(scripted());
    window.FormCreate();
    EXPECT_EQ(window.windowTitle(), "Tarvo Manager");
    EXPECT_TRUE(messages->shown().empty()) << "the shipped language file loads";

    auto* left = window.findChild<QTableView*>("StringGrid2");
    auto* right = window.findChild<QTableView*>("StringGrid1");
    ASSERT_TRUE(left && right);
    EXPECT_EQ(left->accessibleName(), "Left panel");
    EXPECT_EQ(right->accessibleName(), "Right panel");
    EXPECT_EQ(window.ActivePanel, 2);
    EXPECT_EQ(window.LeftExplorer->OtherPanel, window.RightExplorer.get());
    EXPECT_EQ(window.RightExplorer->OtherPanel, window.LeftExplorer.get());

    ASSERT_EQ(window.ComboBox1->count(), 2);
    EXPECT_EQ(window.ComboBox1->itemText(1), "beta");
    EXPECT_EQ(window.butConnect->text(), QString::fromStdString(window.Translate("Connect")));
    EXPECT_EQ(window.SpeedButton24->text(),
              "[ " + QString::fromStdString(window.Translate("Cancel")) + " ]");
}

TEST_F(MainWindowTest, WithoutALanguageFileTheUserIsToldAndTextsAreTheirKeys) {
    std::filesystem::remove(home.at("Language.xml"));
    TForm1 window(scripted());
    window.FormCreate();
    ASSERT_EQ(messages->shown().size(), 1u);
    EXPECT_EQ(window.butConnect->text(), "Connect");
}

TEST_F(MainWindowTest, ClosingJoinsTheWorkersEvenWhileOneWaitsOnAQuestion) {
    TForm1 window; // the real message boxes
    window.FormCreate();
    window.show();
    std::atomic<int> answer{0};
    window.LocalWorker->setHandler(cmdLocalCopy, [&](const CommandParams&) {
        answer =
            window.messages().show({"Tarvo Manager", "Overwrite?",
                                    MessageButton::Yes | MessageButton::No | MessageButton::Cancel,
                                    MessageIcon::Question});
    });
    ASSERT_TRUE(window.LocalCommand.post(cmdLocalCopy));

    // Close from inside the question's own event loop, as a user would with the box open.
    std::atomic<bool> closeReturned{false};
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, &window, [&] {
        if (QApplication::activeModalWidget() == nullptr)
            return;
        watcher.stop();
        window.close();
        closeReturned = true;
    });
    watcher.start(10);
    ASSERT_TRUE(pumpUntil([&] { return closeReturned && answer != 0; }));
    EXPECT_EQ(answer, MessageButton::Cancel);
    EXPECT_TRUE(window.LocalCommand.idle()) << "the worker was joined";
}

} // namespace
