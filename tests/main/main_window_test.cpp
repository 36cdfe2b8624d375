#include "main/main_window.h"
#include "main/qt_message_service.h"
#include "workers/command_codes.h"

#include "support/scripted_messages.h"
#include "support/temp_tree.h"

#include <QApplication>
#include <QComboBox>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace {

using namespace std::chrono_literals;

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

TEST_F(MainWindowTest, AFreshWindowHasBothPanelsTheLeftOneActiveAndIdleWorkers) {
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
    EXPECT_TRUE(window.RemoteCommand.idle());
    EXPECT_TRUE(window.LocalCommand.idle());
    EXPECT_EQ(window.ZipState, 0) << "the first tick must not stop the timer of a first copy";

    EXPECT_EQ(window.LeftExplorer->OtherPanel, window.RightExplorer.get());
    EXPECT_EQ(window.RightExplorer->OtherPanel, window.LeftExplorer.get());
    EXPECT_EQ(window.FtpSession->FtpPanel, 0);

    ASSERT_EQ(window.ComboBox1->count(), 2);
    EXPECT_EQ(window.ComboBox1->itemText(1), "beta");
    EXPECT_EQ(window.butConnect->text(), QString::fromStdString(window.Translate("Connect")));
    EXPECT_EQ(window.SpeedButton24->text(),
              "[ " + QString::fromStdString(window.Translate("Cancel")) + " ]");
    for (const char* name : {"Panel5", "Panel2", "Label1", "Label11", "ComboBox4", "ComboBox5",
                             "Memo1", "eSrvName", "eSrvPort", "eUserName", "eUserPasswd",
                             "SpeedButton14", "SpeedButton23", "Image3", "Timer2"})
        EXPECT_NE(window.findChild<QObject*>(name), nullptr) << name;
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

    std::chrono::steady_clock::time_point closedAt;
    std::chrono::steady_clock::time_point closeReturned;
    // Close from inside the question's own event loop, as a user would with the box open.
    QTimer::singleShot(300, &window, [&] {
        ASSERT_NE(QApplication::activeModalWidget(), nullptr) << "the question is on screen";
        closedAt = std::chrono::steady_clock::now();
        window.close();
        closeReturned = std::chrono::steady_clock::now();
    });
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (answer == 0 && std::chrono::steady_clock::now() < deadline)
        QApplication::processEvents(QEventLoop::AllEvents, 10);

    EXPECT_EQ(answer, MessageButton::Cancel);
    EXPECT_LT(closeReturned - closedAt, 1s);
    EXPECT_TRUE(window.LocalCommand.idle());
}

} // namespace
