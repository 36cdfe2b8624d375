#pragma once

#include <QDialog>

class LanguageTable;
class QCheckBox;
class QPushButton;

// The attribute dialog of a local panel. Its boxes show the selected entry's attributes; on
// this platform only read-only is the user's to change (archive and system have no meaning
// here, and hidden is the name's leading dot, which the dialog does not rename). Apply and
// Cancel close it; Enter applies, Esc cancels.
class TOKRightDlg1 : public QDialog {
    Q_OBJECT
public:
    TOKRightDlg1(QWidget* owner, const LanguageTable& texts, int attributes);

    // What Apply sets on every marked entry.
    bool readOnly() const;

private:
    QCheckBox* CheckBox1;      // archive
    QCheckBox* CheckBox2;      // read-only
    QCheckBox* CheckBox3;      // hidden
    QCheckBox* CheckBox4;      // system
    QPushButton* SpeedButton1; // Apply
    QPushButton* SpeedButton2; // Cancel
};
