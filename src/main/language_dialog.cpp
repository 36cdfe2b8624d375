#include "main/language_dialog.h"

#include "main/widget_helpers.h"

#include "platform/message_service.h"
#include "platform/posix/path.h"
#include "settings/language_files.h"
#include "settings/language_table.h"

#include <QFileDialog>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <sys/stat.h>

namespace {

QFont bold(QFont font) {
    font.setBold(true);
    return font;
}

// A section title on a bar of its own, drawn in the palette's colours.
QLabel* sectionTitle(const char* name, QWidget* parent) {
    auto* label = named<QLabel>(name, parent);
    label->setAlignment(Qt::AlignCenter);
    label->setFont(bold(label->font()));
    label->setStyleSheet(
        QStringLiteral("background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 palette(light), "
                       "stop:1 palette(mid)); padding: 2px;"));
    return label;
}

QLabel* headerValue(const char* name, QWidget* parent) {
    auto* label = named<QLabel>(name, parent);
    label->setFont(bold(label->font()));
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QPushButton* button(const char* name, QWidget* parent) {
    auto* button = named<QPushButton>(name, parent);
    // Enter is Apply's wherever the focus is, as on the dialog's other keys.
    button->setAutoDefault(false);
    return button;
}

} // namespace

TOKRightDlg12::TOKRightDlg12(Services services, QWidget* parent)
    : QDialog(parent), services_(std::move(services)) {
    setObjectName("OKRightDlg12");
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);

    auto* info = named<QFrame>("Bevel1", this);
    info->setFrameShape(QFrame::StyledPanel);
    info->setFrameShadow(QFrame::Sunken);
    Label10 = sectionTitle("Label10", info);
    Label7 = named<QLabel>("Label7", info);
    Label4 = headerValue("Label4", info);
    Label8 = named<QLabel>("Label8", info);
    Label3 = headerValue("Label3", info);
    Label6 = named<QLabel>("Label6", info);
    Label2 = headerValue("Label2", info);
    Label5 = named<QLabel>("Label5", info);
    Label1 = headerValue("Label1", info);
    Label9 = sectionTitle("Label9", info);
    SpeedButton3 = button("SpeedButton3", info);
    Label11 = sectionTitle("Label11", info);
    SpeedButton4 = button("SpeedButton4", info);
    SpeedButton4->setEnabled(services_.editorAvailable);

    auto* header = new QFormLayout;
    header->setLabelAlignment(Qt::AlignRight);
    for (const auto& [caption, value] :
         {std::pair{Label7, Label4}, {Label8, Label3}, {Label6, Label2}, {Label5, Label1}}) {
        header->addRow(caption, value);
        // A screen reader reads the value (the label's own text) labelled by its caption.
        caption->setBuddy(value);
    }
    auto* infoLayout = new QVBoxLayout(info);
    infoLayout->setContentsMargins(0, 0, 0, 4);
    infoLayout->addWidget(Label10);
    infoLayout->addLayout(header);
    infoLayout->addStretch(1);
    for (QWidget* part : {static_cast<QWidget*>(Label9), static_cast<QWidget*>(SpeedButton3),
                          static_cast<QWidget*>(Label11), static_cast<QWidget*>(SpeedButton4)})
        infoLayout->addWidget(part, 0,
                              qobject_cast<QLabel*>(part) ? Qt::Alignment() : Qt::AlignHCenter);

    ListBox1 = named<QListWidget>("ListBox1", this);
    ListBox1->setFont(bold(ListBox1->font()));
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);

    SpeedButton2 = button("SpeedButton2", this);
    SpeedButton1 = named<QPushButton>("SpeedButton1", this);
    SpeedButton1->setDefault(true);

    auto* columns = new QHBoxLayout;
    columns->addWidget(info, 4);
    columns->addWidget(ListBox1, 5);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(SpeedButton2);
    buttons->addWidget(SpeedButton1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 8, 8, 6);
    layout->addLayout(columns, 1);
    layout->addLayout(buttons);
    resize(368, 288);

    // A click makes the row current before it selects it: the header follows the selection, so
    // it reads the entry the click or key chose.
    connect(ListBox1, &QListWidget::itemSelectionChanged, this, [this] {
        if (!highlightedFile().empty())
            ListBox1Click();
    });
    connect(SpeedButton1, &QPushButton::clicked, this, &TOKRightDlg12::SpeedButton1Click);
    connect(SpeedButton2, &QPushButton::clicked, this, &QDialog::reject);
    connect(SpeedButton3, &QPushButton::clicked, this, &TOKRightDlg12::SpeedButton3Click);
    connect(SpeedButton4, &QPushButton::clicked, this, &TOKRightDlg12::SpeedButton4Click);
}

void TOKRightDlg12::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

QString TOKRightDlg12::translated(const char* key) const {
    return QString::fromStdString(services_.language.translate(key));
}

void TOKRightDlg12::applyCaptions() {
    const std::pair<QWidget*, const char*> captions[] = {
        {Label5, "Author"},       {Label6, "Version"},      {Label8, "Code"},
        {Label7, "Name"},         {Label10, "FileInfo"},    {Label9, "ImportFromXML"},
        {Label11, "EditFile"},    {SpeedButton3, "Import"}, {SpeedButton4, "Edit"},
        {SpeedButton1, "VApply"}, {SpeedButton2, "XCancel"}};
    for (const auto& [widget, key] : captions) {
        if (auto* label = qobject_cast<QLabel*>(widget))
            label->setText(translated(key));
        else
            static_cast<QPushButton*>(widget)->setText(translated(key));
    }
    ListBox1->setAccessibleName(translated("Language"));
    setWindowTitle(translated("Language"));
}

void TOKRightDlg12::FormShow() {
    applyCaptions();
    if (const std::optional<LanguageHeader> active = services_.language.header())
        showHeader(*active);
    fillList();
}

void TOKRightDlg12::fillList() {
    const QSignalBlocker quiet(ListBox1); // a refill selects nothing
    ListBox1->clear();
    langFiles_ = listLanguageFiles(languageFolder());
    for (const std::string& name : langFiles_)
        ListBox1->addItem(QString::fromStdString(name));
    ListBox1->setCurrentRow(-1);
}

void TOKRightDlg12::showHeader(const LanguageHeader& header) {
    Label4->setText(QString::fromStdString(header.native));
    Label3->setText(QString::fromStdString(header.code));
    Label2->setText(QString::fromStdString(header.version));
    Label1->setText(QString::fromStdString(header.author));
}

std::string TOKRightDlg12::highlightedFile() const {
    const int row = ListBox1->currentRow();
    if (row < 0 || row >= static_cast<int>(langFiles_.size()) || !ListBox1->item(row)->isSelected())
        return {};
    return langFiles_[static_cast<std::size_t>(row)];
}

void TOKRightDlg12::fail(const std::string& message, const std::string& reason) {
    services_.messages.show(
        {"Tarvo Manager", message + "\n\n" + reason, MessageButton::Ok, MessageIcon::None});
}

void TOKRightDlg12::ListBox1Click() {
    const std::string name = highlightedFile();
    const std::string path = joinPath(languageFolder(), name);
    try {
        const std::optional<LanguageHeader> header = readLanguageFile(path);
        if (!header)
            throw std::runtime_error(path + " is not a language document (its root element is not "
                                            "<Language>).");
        showHeader(*header);
    } catch (const std::exception& error) {
        fail("App error - IndexErrorInSelectLangXMLFile", error.what());
    }
}

void TOKRightDlg12::SpeedButton1Click() {
    const std::string name = highlightedFile();
    if (!name.empty()) {
        const std::string failure =
            installLanguageFile(joinPath(languageFolder(), name), activeLanguagePath());
        if (!failure.empty()) {
            fail("App error in ReplaceLangXMLFile", failure);
            return;
        }
        services_.reloadTexts();
    }
    close();
}

void TOKRightDlg12::SpeedButton3Click() {
    QFileDialog dialog(this, translated("ImportFromXML"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilter(QStringLiteral("*.xml"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    importFile(dialog.selectedFiles().front().toStdString());
}

void TOKRightDlg12::importFile(const std::string& source) {
    const std::string name = nameOf(source);
    ::mkdir(languageFolder().c_str(), 0755); // a missing lang folder is made on the first import
    const std::string failure = installLanguageFile(source, joinPath(languageFolder(), name));
    if (!failure.empty()) {
        fail("App error in LoadXMLLangFile", failure);
        return;
    }
    fillList();
    const auto found = std::find(langFiles_.begin(), langFiles_.end(), name);
    if (found != langFiles_.end())
        ListBox1->setCurrentRow(static_cast<int>(found - langFiles_.begin()));
}

void TOKRightDlg12::SpeedButton4Click() {
    const std::string name = highlightedFile();
    if (!name.empty())
        services_.editFile(joinPath(languageFolder(), name));
}
