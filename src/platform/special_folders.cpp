#include "platform/special_folders.h"

#include <QStandardPaths>

std::string specialFolderPath(int id) {
    QStandardPaths::StandardLocation location;
    switch (id) {
    case kDesktopFolder:
        location = QStandardPaths::DesktopLocation;
        break;
    case kDocumentsFolder:
        location = QStandardPaths::DocumentsLocation;
        break;
    case kStartMenuFolder:
        location = QStandardPaths::ApplicationsLocation;
        break;
    default:
        return {};
    }
    return QStandardPaths::writableLocation(location).toStdString();
}
