#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QProcess>
#include <QStringList>

// A D-Bus daemon of the test's own, ended with the object.
class PrivateBus {
public:
    PrivateBus();
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    // Empty when no daemon could be started; then whyNot() says why.
    const QString& address() const { return address_; }
    const QString& whyNot() const { return whyNot_; }
    QDBusConnection connect(const QString& name) const;

private:
    QProcess daemon_;
    QString address_;
    QString whyNot_;
};

// Stands in for a file manager: records the items whose properties it was asked to show.
class FakeFileManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    ~FakeFileManager() override;
    // Offers itself on the connection; false when it could not.
    bool offerOn(QDBusConnection bus);
    // Takes itself off the bus. Called before the connection goes, so that the bus's own thread
    // never looks at this object while it is being destroyed.
    void withdraw();

    QStringList shown;

public slots:
    void ShowItemProperties(const QStringList& uris, const QString&) { shown << uris; }

private:
    QDBusConnection bus_{QString()};
};
