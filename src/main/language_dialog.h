#pragma once

#include "settings/language_document.h"

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

class LanguageTable;
class MessageService;
class QLabel;
class QListWidget;
class QPushButton;

// The language dialog: the header of the active language, the language files of the program's
// lang folder with the header of the one highlighted, Apply (which makes it the active language
// and rebuilds the window's texts), Import of a language file into lang, and Edit of the
// highlighted file in the text editor. Modeless; it deletes itself when closed.
class TOKRightDlg12 : public QDialog {
    Q_OBJECT
public:
    struct Services {
        const LanguageTable& language;
        MessageService& messages;
        std::function<void()> reloadTexts;                // the window's texts from Language.xml
        std::function<void(const std::string&)> editFile; // opens a file in the text editor
        bool editorAvailable;                             // a text editor is installed
    };

    TOKRightDlg12(Services services, QWidget* parent);

    void ListBox1Click();
    void SpeedButton1Click(); // Apply
    void SpeedButton3Click(); // Import: asks for the file
    void SpeedButton4Click(); // Edit
    // Copies a language file into lang and highlights it.
    void importFile(const std::string& source);

    // The file names the list shows, at the same indexes.
    const std::vector<std::string>& LangFiles() const { return langFiles_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void fillList();
    void applyCaptions();
    QString translated(const char* key) const;
    void showHeader(const LanguageHeader& header);
    std::string highlightedFile() const; // empty when no entry is highlighted
    void fail(const std::string& message, const std::string& reason);

    Services services_;
    std::vector<std::string> langFiles_;

    QLabel* Label1 = nullptr; // author
    QLabel* Label2 = nullptr; // version
    QLabel* Label3 = nullptr; // code
    QLabel* Label4 = nullptr; // native name
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* Label10 = nullptr;
    QLabel* Label11 = nullptr;
    QListWidget* ListBox1 = nullptr;
    QPushButton* SpeedButton1 = nullptr; // Apply
    QPushButton* SpeedButton2 = nullptr; // Cancel
    QPushButton* SpeedButton3 = nullptr; // Import
    QPushButton* SpeedButton4 = nullptr; // Edit
};
