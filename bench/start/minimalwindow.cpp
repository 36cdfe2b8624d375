// The yardstick of startbench: a Qt Widgets program that shows a main window with two empty
// tables and ends once both have painted.
#include <QApplication>
#include <QEvent>
#include <QMainWindow>
#include <QSplitter>
#include <QStandardItemModel>
#include <QTableView>

namespace {

class PaintWatch : public QObject {
public:
    explicit PaintWatch(int& unpainted) : unpainted_(unpainted) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            if (--unpainted_ == 0)
                QMetaObject::invokeMethod(qApp, &QApplication::quit, Qt::QueuedConnection);
        }
        return false;
    }

private:
    int& unpainted_;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    auto* tables = new QSplitter(&window);
    int unpainted = 2;
    PaintWatch watch(unpainted);
    for (int i = 0; i < 2; ++i) {
        auto* table = new QTableView(tables);
        table->setModel(new QStandardItemModel(0, 5, table));
        table->viewport()->installEventFilter(&watch);
    }
    window.setCentralWidget(tables);
    window.resize(1000, 700);
    window.show();
    return QApplication::exec();
}
