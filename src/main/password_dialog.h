#pragma once

#include <QDialog>

#include <functional>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

// Asks for the login password when the connection bar holds none. Shown without blocking the
// window; Enter presses OK, Esc Cancel. OK hands the password on and closes unless the
// receiver wants the dialog to stay (a command is still running).
class TPasswordDlg : public QDialog {
    Q_OBJECT
public:
    using Translate = std::function<std::string(const std::string&)>;
    // Takes the typed password; true when the dialog may close.
    using Accept = std::function<bool(const QString& password)>;

    TPasswordDlg(QWidget* owner, const Translate& translate, Accept accept);

    QLabel* Label1;
    QLineEdit* Password;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

private:
    void OKBtnClick();

    Accept accept_;
};
