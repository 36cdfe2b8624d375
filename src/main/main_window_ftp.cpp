// The main window's side of the FTP client: connect and disconnect, the remote panel's
// commands and the remote deletes.
#include "main/main_window.h"
#include "main/panel_controller.h"
#include "main/password_dialog.h"
#include "main/widget_helpers.h"
#include "platform/posix/path.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QSystemTrayIcon>
#include <QToolButton>

namespace listing = tarvo::listing;

namespace {

constexpr const char* kTitle = "Tarvo Manager";

std::string text(const QLineEdit* edit) {
    return edit->text().toStdString();
}

} // namespace

bool TForm1::viewIsCurrent(PanelSide side, const PanelView& view) const {
    const bool remotePanel = engine_->session().FtpPanel == panelNumber(side);
    if (view.Session == 0)
        return !remotePanel;
    return remotePanel && view.Session == engine_->session().generation();
}

void TForm1::showSession(SessionView session) {
    bridge.post([this, session = std::move(session)] {
        PanelController& shown = panel(session.Side);
        LocalExplorer& local = explorer(session.Side);
        shown.widgets().driveBox->setVisible(!session.Connected);
        restingTitle_ = QString::fromStdString(session.Title);
        setWindowTitle(restingTitle_);
        TrayIcon1->setToolTip(
            plainToolTip(QString::fromStdString(session.Connected ? session.Site : kTitle)));
        butConnect->setText(
            QString::fromStdString(Translate(session.Connected ? "Disconnect" : "Connect")));
        UpdateMenusForPanel(ActivePanel);
        if (session.Connected)
            return;
        sessionWaitsEnded();
        // The remote rows go at once; the local folder follows when the worker has read it.
        PanelView empty;
        empty.Listing = std::make_shared<listing::DirectoryListing>();
        empty.FolderChanged = true;
        empty.Path = local.GetPath();
        empty.PathLabel = empty.Path;
        shown.applyView(empty);
    });
}

void TForm1::connectFtpCommands() {
    leftPanel_->setSession(engine_->session());
    rightPanel_->setSession(engine_->session());
    butConnect->setEnabled(true);
    connect(butConnect, &QToolButton::clicked, this, &TForm1::butConnectClick);
    connectAction(
        "Pocz1", [this] { butConnectClick(); }, QKeySequence(Qt::CTRL | Qt::Key_F));
    connectAction(
        "rozcz1", [this] { butConnectClick(); }, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
    connectSiteCommands();
    connectConsoleCommands();
    connectFtpDialogCommands();
}

void TForm1::butConnectClick() {
    // A connect still under way is ended like an open session.
    if (engine_->session().FtpPanel != 0 || engine_->remoteCommands().holds<cmd::Connect>()) {
        dropRemoteSession();
        return;
    }
    if (eSrvName->text().isEmpty() || !panelsTakeCommand())
        return;
    const PanelSide side = sideOf(ActivePanel);
    addToHistory(side, locationEntry(side));
    if (eUserName->text().isEmpty()) {
        if (const auto login = messages().askText(kTitle, Translate("Login"), ""))
            eUserName->setText(QString::fromStdString(*login));
    }
    if (eUserPasswd->text().isEmpty()) {
        askPassword();
        return;
    }
    postConnect();
}

void TForm1::askPassword() {
    auto* dialog = new TPasswordDlg(
        this, [this](const std::string& key) { return Translate(key); },
        [this](const QString& password) {
            if (engine_->session().FtpPanel != 0)
                return true;
            // Only a connect the worker will take: while a command runs the dialog stays.
            if (!panelsTakeCommand())
                return false;
            if (!engine_->remoteCommands().idle()) {
                commandRefused(Refusal::CommandsWaiting);
                return false;
            }
            eUserPasswd->setText(password);
            postConnect();
            return true;
        });
    dialog->show();
}

void TForm1::postConnect() {
    // A port the connect cannot use shows as the 21 it will use.
    const std::string port = text(eSrvPort);
    if (!port.empty() && std::to_string(portNumber(port)) != port)
        eSrvPort->setText("21");
    reportPost(engine_->remoteCommands().post(cmd::Connect{
        ActivePanel,
        {text(Edit2), text(eSrvName), text(eSrvPort), text(eUserName), text(eUserPasswd)}}));
}
