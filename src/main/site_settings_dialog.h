#pragma once

#include "ftp/site_settings.h"

#include <QDialog>

#include <functional>

class LanguageTable;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QWidget;

// The connection settings of one site: name, host, port, login, password, start folder,
// passive mode and keep-alive with its interval in seconds; four time-outs are carried on a
// panel that is never shown. Apply hands the settings to the window and closes the dialog
// when the window took them. Enter applies and Esc cancels in the check boxes and the folder
// and interval edits; in the connection texts they do nothing.
class TOKRightDlg2 : public QDialog {
    Q_OBJECT
public:
    // False when the settings were refused: the dialog stays. The handler may normalise them.
    using ApplyHandler = std::function<bool(SiteSettings& settings)>;

    TOKRightDlg2(QWidget* owner, const LanguageTable& texts, const SiteSettings& settings,
                 ApplyHandler apply);

    SiteSettings settings() const;

    QLineEdit* Edit1;     // name
    QLineEdit* Edit3;     // host
    QLineEdit* Edit6;     // port
    QLineEdit* Edit2;     // login
    QLineEdit* MaskEdit1; // password
    QLineEdit* Edit5;     // start folder
    QCheckBox* ckPass;
    QCheckBox* CkNOOP;
    QLineEdit* TimeNOOP; // keep-alive interval, seconds
    QWidget* Panel1;     // the time-outs, never shown
    QLineEdit* IOCtrlReciTime;
    QLineEdit* IOCtrlSendTime;
    QLineEdit* IODataReciTime;
    QLineEdit* IODataSendTime;
    QPushButton* SpeedButton2; // Apply
    QPushButton* SpeedButton1; // Cancel

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SpeedButton2Click();
    void display(const SiteSettings& settings);

    ApplyHandler apply_;
};
