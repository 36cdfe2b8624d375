#include "main/connection_commands.h"

#include "app/engine.h"
#include "main/command_dialog.h"
#include "main/command_gate.h"
#include "main/connect_bar.h"
#include "main/console_pane.h"
#include "main/panel_pair.h"
#include "main/password_dialog.h"
#include "platform/message_service.h"
#include "platform/ui_bridge.h"

#include <QToolButton>

namespace {

constexpr const char* kTitle = "Tarvo Manager";

} // namespace

ConnectionCommands::ConnectionCommands(const WindowContext& context, ConnectBar& bar,
                                       ConsolePane& console)
    : context_(context), bar_(bar), console_(console),
      butConnect(context.window.findChild<QToolButton*>("butConnect")) {
    butConnect->setEnabled(true);
    connect(butConnect, &QToolButton::clicked, this, &ConnectionCommands::butConnectClick);
    context_.connectAction(
        this, "Pocz1", [this] { butConnectClick(); }, QKeySequence(Qt::CTRL | Qt::Key_F));
    context_.connectAction(
        this, "rozcz1", [this] { butConnectClick(); },
        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
    connect(&bar_, &ConnectBar::connectRequested, this, &ConnectionCommands::butConnectClick);
    context_.connectAction(this, "FTPCommand1", [this] { FTPCommand1Click(); });
}

void ConnectionCommands::showConnected(bool connected) {
    butConnect->setText(
        QString::fromStdString(context_.translate(connected ? "Disconnect" : "Connect")));
}

void ConnectionCommands::butConnectClick() {
    Engine& engine = context_.engine;
    // A connect still under way is ended like an open session.
    if (engine.session().FtpPanel != 0 || engine.remoteCommands().holds<cmd::Connect>()) {
        dropRemoteSession();
        return;
    }
    if (bar_.fields().Host.empty() || !context_.gate.take())
        return;
    const PanelSide side = context_.panels.activeSide();
    engine.navigation().recordVisit(side, engine.locationEntry(side));
    if (bar_.fields().User.empty()) {
        if (const auto login = context_.messages.askText(kTitle, context_.translate("Login"), ""))
            bar_.setUser(*login);
    }
    if (bar_.fields().Password.empty()) {
        askPassword();
        return;
    }
    postConnect();
}

void ConnectionCommands::askPassword() {
    auto* dialog = new TPasswordDlg(
        &context_.window, [this](const std::string& key) { return context_.translate(key); },
        [this](const QString& password) {
            if (context_.engine.session().FtpPanel != 0)
                return true;
            // Only a connect the worker will take: while a command runs the dialog stays.
            if (!context_.gate.take())
                return false;
            if (!context_.engine.remoteCommands().idle()) {
                context_.gate.refuse(Refusal::CommandsWaiting);
                return false;
            }
            bar_.setPassword(password);
            postConnect();
            return true;
        });
    dialog->show();
}

void ConnectionCommands::postConnect() {
    // A port the connect cannot use shows as the 21 it will use.
    const std::string port = bar_.fields().Port;
    if (!port.empty() && std::to_string(portNumber(port)) != port)
        bar_.showDefaultPort();
    context_.gate.report(context_.engine.remoteCommands().post(
        cmd::Connect{context_.panels.activeNumber(), bar_.fields()}));
}

void ConnectionCommands::dropRemoteSession() {
    context_.engine.session().Disconnect();
    context_.engine.remoteWorker().wake(); // it ends the connection
}

void ConnectionCommands::FTPCommand1Click() {
    if (!context_.gate.take())
        return;
    auto* dialog = new TOKRightDlg12345(
        {context_.language, context_.messages,
         [this](const std::string& command, QPointer<TOKRightDlg12345> window) {
             return postRawCommand(command, window);
         },
         [this] { return console_.chooseLogFile(); }},
        &context_.window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
}

bool ConnectionCommands::postRawCommand(const std::string& command,
                                        QPointer<TOKRightDlg12345> window) {
    // The lines go to the window the command came from, while it is open.
    const auto log = [this, window](std::string line) {
        context_.bridge.post([window, line = std::move(line)] {
            if (window)
                window->appendLog(QString::fromStdString(line));
        });
    };
    const PostResult result = context_.engine.remoteCommands().post(cmd::RawCommand{command, log});
    context_.gate.report(result);
    return taken(result);
}
