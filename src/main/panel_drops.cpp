#include "main/panel_drops.h"

std::vector<std::string> localDropPaths(const QList<QUrl>& urls) {
    std::vector<std::string> paths;
    for (const QUrl& url : urls) {
        const QString host = url.host();
        if (url.scheme() != QLatin1String("file") ||
            !(host.isEmpty() || host == QLatin1String("localhost")))
            continue;
        std::string path =
            QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString();
        while (path.size() > 1 && path.back() == '/')
            path.pop_back();
        if (path.size() > 1 && path.front() == '/')
            paths.push_back(std::move(path));
    }
    return paths;
}
