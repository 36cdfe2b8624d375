// What navigation asks of the FTP session. The session of this build never opens (FTPCom holds
// no connection yet), so no panel shows it and a saved remote location cannot be opened; these
// are the places where navigation and the session meet once it can.
#include "main/main_window.h"

// The remote folder the session shows (FTPCom::CurrentDir).
std::string TForm1::sessionFolder() const {
    return {};
}

// The host of a saved site, for the history's "ftp://host/folder" captions; none when its record
// cannot be read.
std::optional<std::string> TForm1::savedSiteHost(const std::string&) const {
    return std::nullopt;
}

// Opens a remote folder of a saved site in the active panel.
void TForm1::openRemoteLocation(const LocationEntry& entry) {
    refuseLocation(entry.Site);
}

// Refills the session's panel with the entries of its last listing that match the mask.
void TForm1::filterRemotePanel(PanelSide, const std::string&) {}

// Ends the session, giving its panel back to its local folder (the connect button's disconnect).
void TForm1::dropRemoteSession() {}
