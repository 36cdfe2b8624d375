#pragma once

#include <QDialog>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <string>

class LanguageTable;
class MessageService;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTimer;

// The command window: the user types an FTP command, or picks a common one from its menu, and
// Execute (or Enter in the box) has it run on the open connection. The command line, the
// server's replies and a listing's data appear in the window's own log, which takes long
// replies a slice at a time so that the window stays responsive. Esc closes it.
class TOKRightDlg12345 : public QDialog {
    Q_OBJECT
public:
    struct Services {
        const LanguageTable& texts;
        MessageService& messages;
        // Has the command run for this window; false when another command runs (nothing was
        // posted, the command stays in the box).
        std::function<bool(const std::string& command, QPointer<TOKRightDlg12345> window)> execute;
        std::function<QString()> chooseFile; // where Save As writes; empty: nowhere
    };

    TOKRightDlg12345(Services services, QWidget* owner);

    // Adds to the log; line breaks in the text start new lines.
    void appendLog(const QString& text);
    // Whether log text still waits for its turn to be shown.
    bool appending() const { return !pending_.isEmpty(); }

    void SpeedButton1Click(); // Execute
    bool SpeedButton2Click(); // Save As: true when written

    QLabel* Label1;
    QComboBox* ComboBox1; // the command and the earlier ones
    QPlainTextEdit* Memo1;
    QPushButton* SpeedButton1;
    QPushButton* SpeedButton2;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenu();
    void appendSlice();
    void appendAll();

    Services services_;
    QStringList pending_; // lines not yet in the log
    QTimer* slices_;
};
