#include "support/private_bus.h"

#include <QStandardPaths>

PrivateBus::PrivateBus() {
    if (QStandardPaths::findExecutable("dbus-daemon").isEmpty()) {
        whyNot_ = "dbus-daemon is not installed";
        return;
    }
    daemon_.start("dbus-daemon", {"--session", "--nofork", "--nopidfile", "--print-address"});
    if (daemon_.waitForReadyRead(10000))
        address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    if (address_.isEmpty())
        whyNot_ = "dbus-daemon did not start: " + daemon_.errorString() + " " +
                  QString::fromUtf8(daemon_.readAllStandardError());
}

PrivateBus::~PrivateBus() {
    daemon_.kill();
    daemon_.waitForFinished();
}

QDBusConnection PrivateBus::connect(const QString& name) const {
    return QDBusConnection::connectToBus(address_, name);
}

FakeFileManager::~FakeFileManager() {
    withdraw();
}

void FakeFileManager::withdraw() {
    if (!bus_.isConnected())
        return;
    bus_.unregisterObject("/org/freedesktop/FileManager1");
    bus_ = QDBusConnection(QString());
}

bool FakeFileManager::offerOn(QDBusConnection bus) {
    bus_ = bus;
    return bus.registerObject("/org/freedesktop/FileManager1", this,
                              QDBusConnection::ExportAllSlots) &&
           bus.registerService("org.freedesktop.FileManager1");
}
