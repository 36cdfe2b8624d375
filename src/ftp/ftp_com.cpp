// The FTP session's connection: connect, disconnect, the console log and the error table.
#include "ftp/ftp_com.h"

#include "ftp/reply_log.h"
#include "ftp/site_store.h"
#include "local/listing/cell_text.h"
#include "local/local_explorer.h"
#include "platform/message_service.h"
#include "settings/language_table.h"

#include <QLocale>
#include <QTime>

#include <ctime>

using tarvo::ftp::FtpError;

namespace {

constexpr const char* kTitle = "Tarvo Manager";

// The local time of day, read without setting the time zone up again (as Qt's clock does on
// every call): the screen thread does that meanwhile, and it is not this thread's to do.
std::string systemTimeOfDay() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return tarvo::listing::timeText(QTime(local.tm_hour, local.tm_min, local.tm_sec),
                                    QLocale::system())
        .toStdString();
}

} // namespace

FTPCom::FTPCom(Frontend& frontend, const LanguageTable& texts, IOFile& sites, LocalExplorer& left,
               LocalExplorer& right, Clock clock)
    : frontend_(frontend), texts_(texts), sites_(sites), left_(left), right_(right),
      clock_(clock ? std::move(clock) : Clock(systemTimeOfDay)),
      all_(std::make_shared<tarvo::listing::DirectoryListing>()), shown_(all_) {}

FTPCom::~FTPCom() {
    // Never waits for the server: no QUIT at the program's end.
    session_.abort();
    session_.drop();
}

LocalExplorer& FTPCom::explorerOf(int panel) const {
    return panel == 2 ? left_ : right_;
}

std::uint64_t FTPCom::generation() const {
    std::lock_guard lock(mutex_);
    return generation_;
}

std::string FTPCom::currentDir() const {
    std::lock_guard lock(mutex_);
    return currentDir_;
}

std::string FTPCom::siteName() const {
    std::lock_guard lock(mutex_);
    return siteName_;
}

std::string FTPCom::GetSortKey() const {
    std::lock_guard lock(mutex_);
    return sortKey_;
}

void FTPCom::console(const std::string& text) {
    frontend_.appendConsole(text);
}

void FTPCom::status(const std::string& text) {
    console("[" + clock_() + "] Status:> " + text);
}

void FTPCom::command(const std::string& text) {
    console("[" + clock_() + "] Command:> " + text);
}

void FTPCom::box(const std::string& text) {
    frontend_.messages().show({kTitle, text, MessageButton::Ok, MessageIcon::Information});
}

int FTPCom::LogResponse() {
    return logReplies(clock_, [this](std::string text) { console(text); });
}

int FTPCom::Connect(const ConnectFields& fields, int panel) {
    settle();
    const std::pair<const std::string&, const char*> required[] = {
        {fields.SiteName, "NameFieldIsBlank"},
        {fields.Host, "HostFieldIsBlank"},
        {fields.Port, "PortFieldIsBlank"}};
    for (const auto& [text, key] : required) {
        if (text.empty()) {
            frontend_.messages().show({kTitle, texts_.translate(key), MessageButton::Ok});
            return -2;
        }
    }
    std::uint64_t generation = 0;
    {
        std::lock_guard lock(mutex_);
        generation = ++generation_;
        currentDir_ = sites_.currentSite().StartDir;
        siteName_ = fields.SiteName;
        // Nothing of the last connection's listing shows in this one.
        all_ = shown_ = std::make_shared<tarvo::listing::DirectoryListing>();
        listedDir_.reset();
    }
    lastFields_ = fields;
    connectingPanel_ = panel;
    FtpPanel = 0;
    try {
        ServerWait wait(frontend_);
        status("Connecting to FTP server...  " + fields.Host);
        const SiteRecord site = sites_.currentSite();
        tarvo::ftp::ConnectOptions options;
        options.host = fields.Host;
        options.port = static_cast<std::uint16_t>(portNumber(fields.Port));
        options.user = fields.User;
        options.password = fields.Password;
        options.mode =
            site.Passive ? tarvo::ftp::TransferMode::Passive : tarvo::ftp::TransferMode::Active;
        if (!session_.connect(options)) {
            wait.end();
            const int handled = HandleError(" ");
            if (FtpPanel != 0)
                return -2; // a reconnect offered by the error handler took over
            status("Connect call failed. ");
            if (handled > -1)
                box(texts_.translate("ConnectFailed"));
            return -2;
        }
        status("Waiting for welcome message...");
        LogResponse();
        if (const std::string startDir = currentDir(); !startDir.empty()) {
            session_.changeDir(startDir);
            LogResponse();
        }
        readServerFolder(); // whether the start folder was given, empty or refused
        const bool resumes = session_.command("REST 0");
        wait.end();
        if (!resumes)
            frontend_.messages().show({kTitle, texts_.translate("ServerDontSupportResume"),
                                       MessageButton::Ok, MessageIcon::Information});
        LocalExplorer& explorer = explorerOf(panel);
        {
            std::lock_guard lock(mutex_);
            if (generation_ != generation)
                return -2; // disconnected meanwhile; the worker's next cycle closes it
            lastFilledDir_.clear();
            host_ = fields.Host;
            sortKey_ = explorer.GetSortKey();
            FtpPanel = panel;
        }
        linkLost_ = 0;
        frontend_.showSession({true, sideOf(panel),
                               std::string(kTitle) + " [" + fields.SiteName + " - " + fields.Host +
                                   ", " + clock_() + "]",
                               fields.SiteName});
        return 1;
    } catch (const std::exception&) {
        // Half a connect is no connect: the session is closed and the panel stays local.
        box(texts_.translate("ConnectFailed"));
        connectionGone();
        return -2;
    }
}

void FTPCom::Disconnect() {
    {
        std::lock_guard lock(mutex_);
        closeDue_ = true;
        quitDue_ = true;
    }
    detach(true);
    // Also a command that is just starting its next call must not reach the server.
    session_.abort();
}

void FTPCom::detach(bool sendQuit) {
    int panel = 0;
    std::string folder;
    {
        std::lock_guard lock(mutex_);
        panel = FtpPanel.exchange(0);
        ++generation_;
        folder = currentDir_;
        if (panel != 0) {
            detachedPanel_ = panel;
            explorerOf(panel).SetSortKey(sortKey_);
        }
        quitDue_ = quitDue_ || sendQuit;
    }
    if (panel == 0)
        return;
    // The next connect to this site starts where this one ended.
    sites_.setStartDir(folder);
    frontend_.showSession({false, sideOf(panel), kTitle, {}});
}

void FTPCom::settle() {
    int panel = 0;
    bool quit = false;
    {
        std::lock_guard lock(mutex_);
        if (!closeDue_)
            return;
        closeDue_ = false;
        quit = quitDue_;
        quitDue_ = false;
        panel = std::exchange(detachedPanel_, 0);
    }
    closeConnection(quit && linkLost_ > -2, panel);
}

void FTPCom::closeConnection(bool sendQuit, int panel) {
    if (sendQuit && session_.connected())
        command("QUIT");
    session_.disconnect();
    if (sendQuit)
        LogResponse();
    linkLost_ = 0;
    if (panel != 0) {
        LocalExplorer& explorer = explorerOf(panel);
        explorer.ReadDir(explorer.GetPath(), true);
        explorer.FillGrid();
    }
}

// A disconnect that the worker itself decides on (a lost connection, a failed connect): it
// closes at once, on this thread.
void FTPCom::connectionGone() {
    detach(false);
    int panel = 0;
    {
        std::lock_guard lock(mutex_);
        closeDue_ = false;
        quitDue_ = false;
        panel = std::exchange(detachedPanel_, 0);
    }
    closeConnection(linkLost_ > -2, panel);
}

void FTPCom::cancelBatches() {
    for (auto* answer : {&DownloadAnswer, &UploadAnswer, &DeleteAnswer, &ChmodAnswer})
        *answer = 2;
}

void FTPCom::CancelRunning() {
    cancelBatches();
    session_.cancel();
}

void FTPCom::shutdown() {
    session_.abort();
}

int FTPCom::HandleError(const std::string& text) {
    const int reply = LogResponse();
    const FtpError error = tarvo::ftp::lastError();
    if (error == FtpError::ControlClosed || error == FtpError::ConnectionAborted ||
        error == FtpError::Timeout || reply == 421 || reply == 221)
        return lostConnection();
    if (error == FtpError::None)
        return 0;
    // A name the protocol cannot carry (a line break in it) is refused like the server would.
    if (error == FtpError::ServerRefused || error == FtpError::InvalidArgument) {
        if (frontend_.messages().show({kTitle, text + texts_.translate("OperationNotAllowed"),
                                       MessageButton::Ok | MessageButton::Cancel,
                                       MessageIcon::Information}) == MessageButton::Cancel)
            CancelRunning();
        return -1;
    }
    cancelBatches();
    switch (error) {
    case FtpError::PasswordRefused:
    case FtpError::LoginFailed:
        box(texts_.translate("ConnectionRefused") + "\n\n" + texts_.translate("CheckLogin"));
        break;
    case FtpError::NameNotResolved:
        box(texts_.translate("IncorrectHostAddress"));
        break;
    case FtpError::CannotConnect:
        box(texts_.translate("Timeout"));
        break;
    case FtpError::InvalidHandle:
        box(texts_.translate("ConnectFailed"));
        break;
    case FtpError::ConnectionReset:
        box(texts_.translate("TheConnectionWithTheServerHasBeenReset"));
        break;
    case FtpError::DiskFull:
        box(texts_.translate("DiskFull"));
        break;
    default: // a cancel among them: the user asked for it
        break;
    }
    return -2;
}

int FTPCom::lostConnection() {
    // While connecting no panel shows the session yet: the reconnect goes where the connect
    // was going.
    const int panel = FtpPanel != 0 ? FtpPanel.load() : connectingPanel_;
    linkLost_ = -2;
    cancelBatches();
    const std::string folder = currentDir();
    connectionGone();
    const MessageButton answer = frontend_.messages().show(
        {texts_.translate("ConnectionLost"), texts_.translate("Reconnect"),
         MessageButton::Yes | MessageButton::No, MessageIcon::Question});
    if (answer != MessageButton::Yes || panel == 0)
        return -2;
    sites_.setStartDir(folder);
    const int connected = Connect(lastFields_, panel);
    if (connected <= -2)
        return connected;
    const int listed = List();
    const auto shown = shownListing();
    if (listed <= -2 || (shown->Dirs.empty() && shown->Files.empty()))
        console("[" + clock_() + "] Status:>  No files");
    if (listed > -2)
        FillGrid("*.*");
    return listed;
}
