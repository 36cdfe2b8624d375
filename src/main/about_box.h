#pragma once

#include <QDialog>

#include <functional>

// The About box: the team, the support address, the credits of the archive libraries, the
// licence note and the home page as a link. Modeless; Enter and Esc close it, and it deletes
// itself when closed.
class TOKRightDlg123 : public QDialog {
    Q_OBJECT
public:
    // openHomePage: what the link does.
    TOKRightDlg123(std::function<void()> openHomePage, QWidget* parent);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};
