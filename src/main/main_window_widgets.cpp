// Construction of the main window's controls.
#include "main/app_icon.h"
#include "main/main_window.h"
#include "main/menu_tree.h"
#include "main/startup_databases.h"
#include "main/widget_helpers.h"

#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSplitter>
#include <QSystemTrayIcon>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QToolButton* commandButton(const char* name, QWidget* parent) {
    auto* button = named<QToolButton>(name, parent);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setEnabled(false); // enabled by the command that owns it
    return button;
}

QHBoxLayout* barLayout(QWidget* owner) {
    return rowLayout(owner, 2, 4);
}

} // namespace

void TForm1::buildWidgets(StartupDatabases& databases) {
    buildMenus(menuBar(), mainMenuTree());

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(buildToolbar());
    layout->addWidget(buildSecondToolbar());
    // The menus and toolbars measure no text yet; the connect bar's boxes do.
    databases.waitForFonts();
    layout->addWidget(buildConnectBar());

    auto* panels = new QSplitter(Qt::Horizontal, central);
    const PathRowIcons icons = pathRowIcons(*panels->style());
    LeftPanel = buildPanel(kLeftPanelNames, icons, panels);
    RightPanel = buildPanel(kRightPanelNames, icons, panels);
    panels->addWidget(LeftPanel.container);
    panels->addWidget(RightPanel.container);
    panels->setChildrenCollapsible(false);
    panels->setStretchFactor(0, 1);
    panels->setStretchFactor(1, 1);
    Panel5 = LeftPanel.container;
    Panel2 = RightPanel.container;
    StringGrid2 = LeftPanel.grid;
    StringGrid1 = RightPanel.grid;
    Label1 = LeftPanel.pathLabel;
    Label11 = RightPanel.pathLabel;
    ComboBox4 = LeftPanel.driveBox;
    ComboBox5 = RightPanel.driveBox;

    auto* body = new QSplitter(Qt::Vertical, central);
    body->addWidget(panels);
    body->addWidget(buildConsole());
    body->setStretchFactor(0, 4);
    body->setStretchFactor(1, 1);
    layout->addWidget(body, 1);
    layout->addWidget(buildProgressStrip());
    setCentralWidget(central);

    Timer2 = named<QTimer>("Timer2", this);
    buildTrayIcon();
    resize(1000, 700);
}

QWidget* TForm1::buildToolbar() {
    Panel1 = named<QFrame>("Panel1", this);
    auto* layout = barLayout(Panel1);
    butConnect = commandButton("butConnect", Panel1);
    SpeedButton12 = commandButton("SpeedButton12", Panel1);
    SpeedButton13 = commandButton("SpeedButton13", Panel1);
    SpeedButton11 = commandButton("SpeedButton11", Panel1);
    SpeedButton10 = commandButton("SpeedButton10", Panel1);
    butGetFile = commandButton("butGetFile", Panel1);
    butSetFile = commandButton("butSetFile", Panel1);
    for (QToolButton* button : {butConnect, SpeedButton12, SpeedButton13, SpeedButton11,
                                SpeedButton10, butGetFile, butSetFile})
        layout->addWidget(button);
    layout->addStretch(1);
    return Panel1;
}

QWidget* TForm1::buildConnectBar() {
    Panel3 = named<QFrame>("Panel3", this);
    auto* layout = barLayout(Panel3);
    ComboBox1 = named<QComboBox>("ComboBox1", Panel3);
    ComboBox1->setEditable(true);
    ComboBox1->setMinimumContentsLength(12);
    Edit2 = named<QLineEdit>("Edit2", Panel3);
    eSrvName = named<QLineEdit>("eSrvName", Panel3);
    eSrvPort = named<QLineEdit>("eSrvPort", Panel3);
    eSrvPort->setText("21");
    eSrvPort->setValidator(new QIntValidator(1, 65535, eSrvPort));
    eSrvPort->setMaximumWidth(60);
    eUserName = named<QLineEdit>("eUserName", Panel3);
    eUserPasswd = named<QLineEdit>("eUserPasswd", Panel3);
    eUserPasswd->setEchoMode(QLineEdit::Password);
    SpeedButton1 = commandButton("SpeedButton1", Panel3);
    SpeedButton3 = commandButton("SpeedButton3", Panel3);

    layout->addWidget(ComboBox1);
    const std::pair<const char*, QLineEdit*> fields[] = {{"Label2", Edit2},
                                                         {"Label4", eSrvName},
                                                         {"Label6", eSrvPort},
                                                         {"Label3", eUserName},
                                                         {"Label5", eUserPasswd}};
    for (const auto& [labelName, edit] : fields) {
        auto* label = named<QLabel>(labelName, Panel3);
        label->setBuddy(edit);
        layout->addWidget(label);
        layout->addWidget(edit, edit == eSrvPort ? 0 : 1);
    }
    layout->addWidget(SpeedButton1);
    layout->addWidget(SpeedButton3);
    return Panel3;
}

QWidget* TForm1::buildConsole() {
    Panel10 = named<QFrame>("Panel10", this);
    auto* layout = barLayout(Panel10);
    Memo1 = named<QPlainTextEdit>("Memo1", Panel10);
    Memo1->setReadOnly(true);
    Memo1->setAccessibleName("FTP console");
    Memo1->setFont(QFont("Monospace"));
    layout->addWidget(Memo1);
    return Panel10;
}

QWidget* TForm1::buildProgressStrip() {
    auto* strip = new QWidget(this);
    auto* layout = barLayout(strip);
    Label18 = named<QLabel>("Label18", strip);
    Image3 = named<QProgressBar>("Image3", strip);
    Image3->setRange(0, 100);
    Image3->setValue(0);
    Image3->setTextVisible(false);
    Label10 = named<QLabel>("Label10", strip);
    Label15 = named<QLabel>("Label15", strip);
    SpeedButton24 = named<QToolButton>("SpeedButton24", strip);
    SpeedButton24->hide(); // shown while an operation can be cancelled
    layout->addWidget(Label18, 2);
    layout->addWidget(Image3, 2);
    layout->addWidget(Label10, 1);
    layout->addWidget(Label15);
    layout->addWidget(SpeedButton24);
    return strip;
}

void TForm1::buildTrayIcon() {
    TrayIcon1 = new QSystemTrayIcon(appIcon(), this);
    TrayIcon1->setObjectName("TrayIcon1");
    TrayIcon1->setToolTip("Tarvo Manager");
    if (QSystemTrayIcon::isSystemTrayAvailable())
        TrayIcon1->show();
}
