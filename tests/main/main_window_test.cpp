#include "main/qt_message_service.h"
#include "main/window_harness.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>

namespace {

class MainWindowTest : public testing::Test {
protected:
    WindowHarness harness;
};

TEST_F(MainWindowTest, ClosingJoinsTheWorkersEvenWhileOneWaitsOnAQuestion) {
    TForm1 window; // the real message boxes
    window.FormCreate();
    window.show();
    std::atomic<int> answer{0};
    window.engine().localWorker().on<cmd::LocalCopy>([&](const cmd::LocalCopy&) {
        answer =
            window.messages().show({"Tarvo Manager", "Overwrite?",
                                    MessageButton::Yes | MessageButton::No | MessageButton::Cancel,
                                    MessageIcon::Question});
    });
    // No event has run since the show, so nothing else holds the mailbox.
    ASSERT_EQ(window.engine().localCommands().post(cmd::LocalCopy{}), PostResult::Started);

    // Close while the box is open, as a user would. The box runs no event loop of its own, in
    // which other posted tasks would run inside the one that opened it.
    std::atomic<bool> closeReturned{false};
    const int outerLoopLevel = QThread::currentThread()->loopLevel();
    int loopLevel = -1;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, &window, [&] {
        if (QApplication::activeModalWidget() == nullptr)
            return;
        watcher.stop();
        loopLevel = QThread::currentThread()->loopLevel();
        window.close();
        closeReturned = true;
    });
    watcher.start(10);
    ASSERT_TRUE(pumpUntil([&] { return closeReturned && answer != 0; }));
    EXPECT_EQ(answer, MessageButton::Cancel);
    EXPECT_TRUE(window.engine().localCommands().idle()) << "the worker was joined";
    EXPECT_EQ(loopLevel, outerLoopLevel);
}

// A name that reads as markup shows as it is: as rich text, the image tag would have the label
// read the file it names until the memory runs out, and a heading would break the layout.
TEST_F(MainWindowTest, NamesThatLookLikeMarkupShowAsTheyAreInEveryLabelAndBox) {
    const std::string image = "<img src=&#47;dev&#47;zero>";
    harness.home.dir(image);
    harness.home.dir(image + "/<h1>x<br>y");
    ASSERT_TRUE(harness.open());
    ASSERT_TRUE(harness.activate());
    harness.select(PanelSide::Left, "[" + image + "]");
    WindowHarness::press(Qt::Key_Return); // to the focused grid, which keeps the focus
    ASSERT_TRUE(harness.showing(PanelSide::Left, harness.home.at(image)));
    EXPECT_EQ(WindowHarness::focused(), &harness.left().grid());
    for (const char* dialog :
         {"About1", "Jzyk1", "noweedycja1", "OrganizeFavorites1", "FTPCommand1"})
        harness.trigger(dialog);

    for (const QLabel* label : harness.window->findChildren<QLabel*>()) {
        EXPECT_EQ(label->textFormat(), Qt::PlainText)
            << label->objectName().toStdString() << " in "
            << label->window()->objectName().toStdString();
    }

    UiBridge bridge;
    QtMessageService service(bridge, nullptr);
    const QString text = QString::fromStdString("Could not delete\n\n" + image);
    Qt::TextFormat boxFormat = Qt::AutoText;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(), text);
        boxFormat = box->textFormat();
        box->accept();
    });
    service.show({"Tarvo Manager", text.toStdString(), MessageButton::Ok});
    EXPECT_EQ(boxFormat, Qt::PlainText);
}

} // namespace
