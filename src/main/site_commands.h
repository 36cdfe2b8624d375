#pragma once

#include "ftp/site_store.h"
#include "main/window_context.h"

#include <QObject>

class ConnectBar;
struct SiteSettings;

// The saved FTP sites on the connection bar: the site the box names is loaded into the bar,
// Save and Delete change the saved sites, and the settings dialog edits the current site or a
// new one.
class SiteCommands : public QObject {
public:
    SiteCommands(const WindowContext& context, ConnectBar& bar);

private:
    // Typing in the box loads a site at every keystroke: only a complete record changes anything.
    void ComboBox1Change(const QString& name);
    void SpeedButton1Click(); // save
    void usu2Click();         // delete
    void SpeedButton3Click(); // the current site's settings
    void noweedycja1Click();  // a new site's settings
    void openSiteSettings(const SiteSettings& settings);
    bool applySiteSettings(SiteSettings& settings);
    // A site needs its name, host and port: a missing one is named in a box.
    bool requiredGiven(const std::string& name, const std::string& host, const std::string& port);
    void reportStoreFailure(const IOFile::Failure& failure);

    const WindowContext& context_;
    ConnectBar& bar_;
};
