#pragma once

#include "frontend/connect_fields.h"

#include <QFrame>

#include <string>
#include <vector>

class QComboBox;
class QLineEdit;
class QToolButton;
struct SiteRecord;

// The FTP connection bar: the box of saved sites, the site's name, host, port, user and
// password, and the Save and Settings buttons. It shows and gives the texts; what they do is
// the site and connection commands'.
class ConnectBar : public QFrame {
    Q_OBJECT
public:
    explicit ConnectBar(QWidget* parent);

    // The five texts as they stand.
    ConnectFields fields() const;
    void showFields(const ConnectFields& fields);
    void showSite(const SiteRecord& site);
    void setUser(const std::string& user);
    void setPassword(const QString& password);
    // The port the connect uses for a text it cannot use.
    void showDefaultPort();
    // A deleted site's texts go; the port is the default again.
    void clearSite();

    // The saved sites in the box.
    std::vector<std::string> siteNames() const;
    // Lists the sites with none of them chosen: the box shows its hint, and the fields stay
    // empty until one is.
    void listSites(const std::vector<std::string>& names);
    void addSite(const std::string& name);
    void removeSite(const std::string& name);
    // Puts the name in the box as if typed, which loads that site.
    void chooseSite(const std::string& name);
    void setSiteHint(const QString& hint);

signals:
    void siteNamed(const QString& name); // typed in the box, or chosen from its list
    void connectRequested();             // Enter in the box
    void saveClicked();
    void settingsClicked();

private:
    QComboBox* ComboBox1 = nullptr; // the saved sites
    QLineEdit* Edit2 = nullptr;     // the site's name
    QLineEdit* eSrvName = nullptr;
    QLineEdit* eSrvPort = nullptr;
    QLineEdit* eUserName = nullptr;
    QLineEdit* eUserPasswd = nullptr;
    QToolButton* SpeedButton1 = nullptr; // Save
    QToolButton* SpeedButton3 = nullptr; // Settings
};
