#pragma once

#include <QDialog>

#include <array>
#include <functional>

class LanguageTable;
class QCheckBox;
class QPushButton;

// The permission dialog of the FTP panel: nine boxes (read, write, execute of the owner, the
// group and all others) showing the selected entry's mode. Apply hands the chosen bits to the
// window, and the dialog closes only when the window took them. Enter applies, Esc cancels.
class TOKRightDlg : public QDialog {
    Q_OBJECT
public:
    // True when the change was taken (or there is nothing to change): the dialog closes.
    using ApplyHandler = std::function<bool(unsigned bits)>;

    TOKRightDlg(QWidget* owner, const LanguageTable& texts, unsigned mode, ApplyHandler apply);

    // The permission bits the ticked boxes stand for.
    unsigned chosenMode() const;

    QPushButton* SpeedButton1; // Apply
    QPushButton* SpeedButton2; // Cancel

private:
    void SpeedButton1Click();

    std::array<QCheckBox*, 9> boxes_{}; // CheckBox1 to CheckBox9: user rwx, group rwx, all rwx
    ApplyHandler apply_;
};
