// Where navigation meets the FTP session: the remote folder in the history, saved remote
// locations, the mask box of the session's panel, and giving the panel back.
#include "main/connect_bar.h"
#include "main/connection_commands.h"
#include "main/main_window.h"

#include <QComboBox>
#include <QLineEdit>

// The remote folder the session shows (FTPCom::CurrentDir).
std::string TForm1::sessionFolder() const {
    return engine_->session().currentDir();
}

// The session as a command given now names it: the panel that shows it and its connection.
RowOrigin TForm1::sessionOrigin() const {
    const FTPCom& session = engine_->session();
    return {session.FtpPanel, session.generation(), session.currentDir()};
}

// The site of the open session, saved or not, as it was named at connect (the Name field may
// have been edited since); none while no panel shows one.
std::optional<std::string> TForm1::sessionSite() const {
    if (engine_->session().FtpPanel == 0)
        return std::nullopt;
    return engine_->session().siteName();
}

// The sites a saved location may name: the saved ones and the open session's.
std::vector<std::string> TForm1::knownSites() const {
    std::vector<std::string> sites = engine_->sites().LoadSiteList();
    if (const auto session = sessionSite())
        sites.push_back(*session);
    return sites;
}

// The host of a site, for the history's "ftp://host/folder" captions: the open session's for its
// site, else the saved record's; none when its record cannot be read.
std::optional<std::string> TForm1::siteHost(const std::string& site) const {
    if (site == sessionSite())
        return connectBar_->fields().Host;
    if (const auto record = engine_->sites().ReadSite(site))
        return record->Host;
    return std::nullopt;
}

// Opens a remote folder of a site: in the open session when it is that site's, else in a new
// session of that saved site, which starts in the folder.
void TForm1::openRemoteLocation(const LocationEntry& entry, bool recordVisit) {
    if (entry.Site == sessionSite()) {
        gate_->report(engine_->remoteCommands().post(
            cmd::OpenRemoteFolder{sessionOrigin(), entry.Folder, recordVisit}));
        return;
    }
    if (!engine_->sites().ReadSite(entry.Site)) {
        refuseLocation(entry.Site); // listed, but never saved: nothing to connect to
        return;
    }
    if (engine_->session().FtpPanel != 0)
        connection_->dropRemoteSession();
    connectBar_->chooseSite(entry.Site); // loads the site into the bar
    engine_->sites().setStartDir(entry.Folder);
    connection_->butConnectClick();
}

// Refills the session's panel with the entries of its last listing that match the mask.
void TForm1::filterRemotePanel(PanelSide, const std::string& mask) {
    engine_->session().FillGrid(mask);
}
