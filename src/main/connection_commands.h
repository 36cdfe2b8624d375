#pragma once

#include "main/window_context.h"

#include <QObject>
#include <QPointer>

#include <string>

class ConnectBar;
class ConsolePane;
class QToolButton;
class TOKRightDlg12345;

// The FTP session's commands: the connect button and its menu items (connect, or disconnect
// while connected or connecting), the login and password questions, and the command window.
class ConnectionCommands : public QObject {
public:
    ConnectionCommands(const WindowContext& context, ConnectBar& bar, ConsolePane& console);

    void butConnectClick();
    // Ends the session, giving its panel back to its local folder (the connect button's
    // disconnect).
    void dropRemoteSession();
    // The connect button says what a click does now.
    void showConnected(bool connected);

private:
    void askPassword();
    void postConnect();
    void FTPCommand1Click();
    bool postRawCommand(const std::string& command, QPointer<TOKRightDlg12345> window);

    const WindowContext& context_;
    ConnectBar& bar_;
    ConsolePane& console_;
    QToolButton* butConnect = nullptr;
};
