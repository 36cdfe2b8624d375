// An exception that reaches the event loop ends the program at once: the loop ends with status
// 1 and no window is closed, so no close work runs.
#include "main/application.h"

#include <QCloseEvent>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include <stdexcept>

namespace {

class Window : public QWidget {
public:
    bool closed = false;

protected:
    void closeEvent(QCloseEvent* event) override {
        closed = true;
        QWidget::closeEvent(event);
    }
};

TEST(Application, AnEscapedExceptionEndsTheLoopWithoutTheClose) {
    int argc = 1;
    char name[] = "application_test";
    char* argv[] = {name, nullptr};
    TarvoApplication app(argc, argv);
    Window window;
    window.show();
    for (const bool throwsStdException : {true, false}) {
        QTimer::singleShot(0, [throwsStdException] {
            if (throwsStdException)
                throw std::runtime_error("broken");
            throw 42;
        });
        // Should the exception be lost, this ends the loop instead, with another status.
        QTimer::singleShot(10000, [] { QCoreApplication::exit(7); });
        EXPECT_EQ(TarvoApplication::exec(), 1);
        EXPECT_FALSE(window.closed);
    }
    EXPECT_TRUE(window.isVisible());
}

} // namespace
