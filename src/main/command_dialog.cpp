#include "main/command_dialog.h"

#include "main/log_file.h"
#include "main/widget_helpers.h"
#include "settings/language_table.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// Lines added to the log per turn of the event loop: a listing of many thousand lines goes in
// over many turns, and the window answers between them.
constexpr int kSliceLines = 1000;

} // namespace

TOKRightDlg12345::TOKRightDlg12345(Services services, QWidget* owner)
    : QDialog(owner), services_(std::move(services)) {
    setObjectName("OKRightDlg12345");
    setWindowTitle("Tarvo Manager");
    const auto text = [&](const char* key) {
        return QString::fromStdString(services_.texts.translate(key));
    };
    auto* layout = new QVBoxLayout(this);
    buildMenu();

    auto* commandRow = new QWidget(this);
    auto* row = rowLayout(commandRow, 0, 6);
    Label1 = named<QLabel>("Label1", commandRow);
    Label1->setText(text("Command") + ":>");
    ComboBox1 = named<QComboBox>("ComboBox1", commandRow);
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert); // the history grows only by what runs
    ComboBox1->setMaxVisibleItems(15);
    ComboBox1->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    Label1->setBuddy(ComboBox1);
    ComboBox1->setAccessibleName(Label1->text());
    // The buttons never take Enter from the box: it runs the command once, by the box's signal.
    SpeedButton1 = named<QPushButton>("SpeedButton1", commandRow);
    SpeedButton1->setText(text("Execute"));
    SpeedButton1->setAutoDefault(false);
    SpeedButton2 = named<QPushButton>("SpeedButton2", commandRow);
    SpeedButton2->setText(text("SaveAs"));
    SpeedButton2->setAutoDefault(false);
    row->addWidget(Label1);
    row->addWidget(ComboBox1);
    row->addWidget(SpeedButton1);
    row->addWidget(SpeedButton2);
    layout->addWidget(commandRow);

    Memo1 = named<QPlainTextEdit>("Memo1", this);
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setAccessibleName("Log");
    layout->addWidget(Memo1, 1);
    resize(640, 420);

    slices_ = new QTimer(this);
    slices_->setInterval(0);
    connect(slices_, &QTimer::timeout, this, &TOKRightDlg12345::appendSlice);
    connect(SpeedButton1, &QPushButton::clicked, this, &TOKRightDlg12345::SpeedButton1Click);
    connect(SpeedButton2, &QPushButton::clicked, this, &TOKRightDlg12345::SpeedButton2Click);
    connect(ComboBox1->lineEdit(), &QLineEdit::returnPressed, this,
            &TOKRightDlg12345::SpeedButton1Click);
    ComboBox1->setFocus();
}

void TOKRightDlg12345::buildMenu() {
    auto* menu = named<QMenuBar>("MainMenu1", this);
    layout()->setMenuBar(menu);
    menu->installEventFilter(this);
    struct Item {
        const char* name;
        const char* caption;
        const char* command; // nullptr: a separator
        bool run;
    };
    static const Item items[] = {
        {"STAT1", "S&TAT", "STAT", true},  {"SYST1", "S&YST", "SYST", true},
        {"N3", "|", nullptr, false},       {"PWD1", "&PWD", "PWD", true},
        {"CDU1", "&CDUP", "CDUP", true},   {"LIST1", "&LIST", "LIST", true},
        {"NLIST1", "&NLST", "NLST", true}, {"CWD1", "C&WD", "CWD", false},
        {"N2", "|", nullptr, false},       {"FEAT1", "&FEAT", "FEAT", true},
        {"HELP1", "&HELP", "HELP", true},  {"N1", "|", nullptr, false}};
    for (const Item& item : items) {
        QAction* action = menu->addAction(QString::fromLatin1(item.caption));
        action->setObjectName(QString::fromLatin1(item.name));
        if (item.command == nullptr) {
            action->setEnabled(false);
            continue;
        }
        connect(action, &QAction::triggered, this, [this, item] {
            ComboBox1->setEditText(QString::fromLatin1(item.command));
            if (item.run)
                SpeedButton1Click();
            else
                ComboBox1->setFocus(); // the user completes the folder
        });
    }
}

bool TOKRightDlg12345::eventFilter(QObject* watched, QEvent* event) {
    // The menu has no lists to close: Esc in it closes the window, as from any other control.
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        reject();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TOKRightDlg12345::SpeedButton1Click() {
    const QString command = ComboBox1->currentText();
    if (command.isEmpty() || !services_.execute(command.toStdString(), this))
        return;
    // A command already in the history, also as part of a longer one, is not added again.
    QStringList earlier;
    for (int i = 0; i < ComboBox1->count(); ++i)
        earlier << ComboBox1->itemText(i);
    if (!earlier.join('\n').contains(command))
        ComboBox1->addItem(command);
    ComboBox1->setEditText(command);
}

void TOKRightDlg12345::appendLog(const QString& text) {
    QStringList lines = text.split('\n');
    if (lines.size() > 1 && lines.back().isEmpty())
        lines.removeLast(); // the line break that ends the last line
    for (QString& line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    pending_ += lines;
    if (!slices_->isActive())
        slices_->start();
}

void TOKRightDlg12345::appendSlice() {
    const qsizetype count = std::min<qsizetype>(kSliceLines, pending_.size());
    Memo1->appendPlainText(pending_.mid(0, count).join('\n'));
    pending_.remove(0, count);
    if (pending_.isEmpty())
        slices_->stop();
}

void TOKRightDlg12345::appendAll() {
    while (!pending_.isEmpty())
        appendSlice();
}

bool TOKRightDlg12345::SpeedButton2Click() {
    const QString file = services_.chooseFile ? services_.chooseFile() : QString();
    if (file.isEmpty())
        return false;
    appendAll();
    return saveLogFile(*Memo1, file, services_.messages,
                       services_.texts.translate("OperationNotAllowed"));
}
