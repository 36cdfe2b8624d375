// The main window's side of the FTP client: connect and disconnect, the remote panel's
// commands and the remote deletes.
#include "main/console_pane.h"
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
        LocalExplorer& local = engine_->explorer(session.Side);
        shown.widgets().driveBox->setVisible(!session.Connected);
        const QString title = QString::fromStdString(session.Title);
        strip_->setRestingTitle(title);
        setWindowTitle(title);
        TrayIcon1->setToolTip(
            plainToolTip(QString::fromStdString(session.Connected ? session.Site : kTitle)));
        butConnect->setText(
            QString::fromStdString(Translate(session.Connected ? "Disconnect" : "Connect")));
        UpdateMenusForPanel(panels_->activeNumber());
        if (session.Connected)
            return;
        strip_->sessionWaitsEnded();
        // The remote rows go at once; the local folder follows when the worker has read it.
        PanelView empty;
        empty.Listing = std::make_shared<listing::DirectoryListing>();
        empty.FolderChanged = true;
        empty.PathLabel = local.GetPath();
        shown.applyView(empty);
    });
}

void TForm1::connectFtpCommands() {
    for (const PanelSide side : {PanelSide::Left, PanelSide::Right})
        panel(side).setSession(engine_->session());
    butConnect->setEnabled(true);
    connect(butConnect, &QToolButton::clicked, this, &TForm1::butConnectClick);
    connectAction(
        "Pocz1", [this] { butConnectClick(); }, QKeySequence(Qt::CTRL | Qt::Key_F));
    connectAction(
        "rozcz1", [this] { butConnectClick(); }, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
    connectAction(
        "Filtry1", [this] { console_->Filtry1Click(); },
        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    connectAction(
        "Czyoknokonsoli1", [this] { console_->clear(); },
        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Delete));
    connectSiteCommands();
    connectFtpDialogCommands();
}

void TForm1::butConnectClick() {
    // A connect still under way is ended like an open session.
    if (engine_->session().FtpPanel != 0 || engine_->remoteCommands().holds<cmd::Connect>()) {
        dropRemoteSession();
        return;
    }
    if (eSrvName->text().isEmpty() || !gate_->take())
        return;
    const PanelSide side = panels_->activeSide();
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
            if (!gate_->take())
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
    gate_->report(engine_->remoteCommands().post(cmd::Connect{
        panels_->activeNumber(),
        {text(Edit2), text(eSrvName), text(eSrvPort), text(eUserName), text(eUserPasswd)}}));
}
