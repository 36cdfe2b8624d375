// The FTP client's dialogs: a site's connection settings, the permissions of remote entries and
// the command window, with the remote worker's side of the last two.
#include "ftp/site_settings.h"
#include "main/chmod_dialog.h"
#include "main/command_dialog.h"
#include "main/console_pane.h"
#include "main/main_window.h"
#include "main/panel_controller.h"
#include "main/site_settings_dialog.h"

#include <QAction>
#include <QLineEdit>
#include <QToolButton>

namespace {

std::string text(const QLineEdit* edit) {
    return edit->text().toStdString();
}

} // namespace

void TForm1::connectFtpDialogCommands() {
    SpeedButton3->setEnabled(true);
    connect(SpeedButton3, &QToolButton::clicked, this, &TForm1::SpeedButton3Click);
    connectAction(
        "OpcjeFTP1", [this] { SpeedButton3Click(); }, QKeySequence(Qt::CTRL | Qt::Key_O));
    connectAction(
        "noweedycja1", [this] { noweedycja1Click(); }, QKeySequence(Qt::CTRL | Qt::Key_N));
    connectAction("FTPCommand1", [this] { FTPCommand1Click(); });
}

// --- site settings ---

void TForm1::SpeedButton3Click() {
    // The connection bar's texts as they stand, which may differ from the saved site.
    SiteSettings settings;
    settings.Name = text(Edit2);
    settings.Host = text(eSrvName);
    settings.Port = text(eSrvPort);
    settings.User = text(eUserName);
    settings.Password = text(eUserPasswd);
    showProfile(engine_->sites().currentSite(), settings);
    openSiteSettings(settings);
}

void TForm1::noweedycja1Click() {
    openSiteSettings(newSiteSettings());
}

void TForm1::openSiteSettings(const SiteSettings& settings) {
    auto* dialog = new TOKRightDlg2(this, language_, settings, [this](SiteSettings& taken) {
        return applySiteSettings(taken);
    });
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    windowSwitchKey().holdWhileOpen(dialog);
    dialog->show();
}

bool TForm1::applySiteSettings(SiteSettings& settings) {
    const std::pair<const std::string&, const char*> required[] = {
        {settings.Name, "NameFieldIsBlank"},
        {settings.Host, "HostFieldIsBlank"},
        {settings.Port, "PortFieldIsBlank"}};
    for (const auto& [field, key] : required) {
        if (field.empty()) {
            messages().show({"Tarvo Manager", Translate(key), MessageButton::Ok});
            return false;
        }
    }
    Edit2->setText(QString::fromStdString(settings.Name));
    eSrvName->setText(QString::fromStdString(settings.Host));
    eSrvPort->setText(QString::fromStdString(settings.Port));
    eUserName->setText(QString::fromStdString(settings.User));
    eUserPasswd->setText(QString::fromStdString(settings.Password));
    SiteRecord profile = engine_->sites().currentSite();
    applyToProfile(settings, profile);
    // The running profile keeps the settings whatever the save that follows makes of them.
    engine_->sites().setCurrentSite(profile);
    engine_->remoteWorker().wake(); // its keep-alive follows the new settings
    SpeedButton1Click();
    return true;
}

// --- permissions ---

void TForm1::openChmodDialog() {
    auto* dialog = new TOKRightDlg(this, language_, static_cast<unsigned>(panels_->selected().mode),
                                   [this](unsigned bits) { return postChmod(bits); });
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::rejected, this, [this] {
        PanelController& active = panels_->active();
        active.model().setMarked(panels_->selected().row, false);
        active.repaint();
        panels_->ShowSelectionInfo();
    });
    windowSwitchKey().holdWhileOpen(dialog);
    dialog->show();
}

bool TForm1::postChmod(unsigned bits) {
    const int ftpPanel = engine_->session().FtpPanel;
    if (ftpPanel == 0)
        return true; // nothing to change: the dialog just closes
    // While a command runs the change waits in the dialog: nothing is posted over it.
    if (!gate_->take())
        return false;
    if (!engine_->remoteCommands().idle()) {
        commandRefused(Refusal::CommandsWaiting);
        return false;
    }
    PanelController& shown = panel(sideOf(ftpPanel));
    queueMarked(shown, "");
    if (std::optional<JobQueue> queue = Jobs.Commit(cmdChmod, false))
        postJob(engine_->remoteCommands(), cmd::Chmod{shown.origin(), bits, {}}, std::move(queue));
    return true;
}

// --- command window ---

void TForm1::FTPCommand1Click() {
    if (!gate_->take())
        return;
    auto* dialog = new TOKRightDlg12345(
        {language_, messages(),
         [this](const std::string& command, QPointer<TOKRightDlg12345> window) {
             return postRawCommand(command, window);
         },
         [this] { return console_->chooseLogFile(); }},
        this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
}

bool TForm1::postRawCommand(const std::string& command, QPointer<TOKRightDlg12345> window) {
    // The lines go to the window the command came from, while it is open.
    const auto log = [this, window](std::string line) {
        bridge.post([window, line = std::move(line)] {
            if (window)
                window->appendLog(QString::fromStdString(line));
        });
    };
    const PostResult result = engine_->remoteCommands().post(cmd::RawCommand{command, log});
    gate_->report(result);
    return taken(result);
}
