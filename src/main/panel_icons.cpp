#include "main/panel_icons.h"

#include <QMimeDatabase>
#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <array>

namespace {

constexpr int kImageCount = 25;
constexpr int kFolder = 0;
constexpr int kOtherFile = 4;
constexpr int kUp = 8;
constexpr int kLink = 17;

struct ImageSource {
    const char* themeName;
    QColor band; // colour of the drawn page when the theme has no such icon
};

// Theme icon names of the 25 images, and the colour of each one's drawn stand-in.
const std::array<ImageSource, kImageCount> kImages{{
    {"folder", QColor(230, 190, 60)},
    {"text-html", QColor(40, 110, 200)},
    {"image-x-generic", QColor(60, 160, 90)},
    {"application-x-executable", QColor(120, 120, 120)},
    {"text-x-generic", QColor(200, 200, 200)},
    {"audio-x-generic", QColor(170, 80, 180)},
    {"application-pdf", QColor(200, 40, 40)},
    {"image-missing", QColor(200, 200, 200)},
    {"go-up", QColor(40, 90, 200)},
    {"video-x-generic", QColor(220, 120, 30)},
    {"image-missing", QColor(200, 200, 200)},
    {"image-missing", QColor(200, 200, 200)},
    {"application-x-sharedlib", QColor(100, 100, 160)},
    {"x-office-document", QColor(50, 90, 170)},
    {"text-x-generic", QColor(150, 150, 150)},
    {"package-x-generic", QColor(150, 110, 60)},
    {"image-jpeg", QColor(60, 160, 90)},
    {"emblem-symbolic-link", QColor(40, 150, 150)},
    {"text-x-csrc", QColor(60, 120, 180)},
    {"text-x-c++src", QColor(60, 80, 180)},
    {"text-x-java", QColor(190, 100, 40)},
    {"text-x-chdr", QColor(90, 140, 190)},
    {"image-x-generic", QColor(80, 170, 110)},
    {"image-png", QColor(60, 170, 120)},
    {"help-browser", QColor(60, 130, 210)},
}};

struct ExtensionGroup {
    int image;
    std::vector<const char*> extensions;
};

const std::vector<ExtensionGroup>& extensionGroups() {
    static const std::vector<ExtensionGroup> groups{
        {1, {".htm", ".html", ".xhtml", ".php", ".xml", ".mht", ".url"}},
        {2, {".bmp", ".xcf"}},
        {3, {".com", ".bat", ".jar", ".bin", ".exe"}},
        {5,
         {".mp3", ".wav", ".wma", ".ram", ".mid", ".midi", ".asf", ".pls", ".m3u", ".m3u8",
          ".flac"}},
        {6, {".pdf"}},
        {9, {".avi", ".mov", ".mpg", ".mpeg", ".mp4", ".wmv"}},
        {12, {".lib", ".dll", ".sys", ".obj"}},
        {13, {".doc", ".rtf", ".odt"}},
        {14, {".txt", ".log", ".ini", ".inf"}},
        {15, {".zip", ".bzip", ".iso", ".rar"}},
        {16, {".jpg", ".jpeg"}},
        {17, {".lnk"}},
        {18, {".c"}},
        {19, {".cpp"}},
        {20, {".j", ".java"}},
        {21, {".h"}},
        {22, {".gif", ".tiff", ".tif"}},
        {23, {".png"}},
        {24, {".hlp", ".chm"}},
    };
    return groups;
}

QString lowerExtension(const QString& name) {
    const int dot = name.lastIndexOf(u'.');
    return dot < 0 ? QString() : name.mid(dot).toLower();
}

// Our own drawing of an image, for desktops without an icon theme.
QIcon drawnImage(int index) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor colour = kImages[static_cast<std::size_t>(index)].band;
    painter.setPen(colour.darker(160));
    if (index == kFolder) {
        painter.setBrush(colour);
        painter.drawRect(QRectF(1.5, 4.5, 13, 9));
        painter.drawRect(QRectF(1.5, 2.5, 6, 2));
    } else if (index == kUp || index == kLink) {
        painter.setPen(QPen(colour, 2));
        painter.drawLine(QPointF(8, 13), QPointF(8, 4));
        painter.drawLine(QPointF(4, 8), QPointF(8, 3));
        painter.drawLine(QPointF(12, 8), QPointF(8, 3));
    } else {
        painter.setBrush(Qt::white);
        painter.drawRect(QRectF(2.5, 1.5, 11, 13));
        painter.fillRect(QRectF(3, 9, 10, 5), colour);
    }
    return QIcon(pixmap);
}

} // namespace

PanelIcons::PanelIcons() : ImageList1(kImageCount) {}

const QIcon& PanelIcons::image(int index) const {
    std::optional<QIcon>& slot = ImageList1[static_cast<std::size_t>(index)];
    if (!slot) {
        const QIcon themed = QIcon::fromTheme(kImages[static_cast<std::size_t>(index)].themeName);
        slot = themed.isNull() ? drawnImage(index) : themed;
    }
    return *slot;
}

int PanelIcons::imageIndex(Kind kind, const QString& name) {
    switch (kind) {
    case Kind::Up:
        return kUp;
    case Kind::Folder:
        return kFolder;
    case Kind::Link:
        return kLink;
    case Kind::File:
        break;
    }
    const QString extension = lowerExtension(name);
    for (const ExtensionGroup& group : extensionGroups())
        for (const char* candidate : group.extensions)
            if (extension == QLatin1String(candidate))
                return group.image;
    return kOtherFile;
}

int PanelIcons::archiveRowImage(const QString& rowText) {
    return rowText.contains(u'/') ? kFolder : imageIndex(Kind::File, rowText);
}

QString PanelIcons::typeKey(const QString& name) {
    return u'.' + lowerExtension(name);
}

const QIcon* PanelIcons::themeIcon(const QString& key) {
    const auto cached = std::find_if(IconCache.begin(), IconCache.end(),
                                     [&](const IconCollection& entry) { return entry.Key == key; });
    if (cached != IconCache.end())
        return cached->Icon.isNull() ? nullptr : &cached->Icon;
    // Extension "..txt" -> a file name "x.txt" for the type lookup; the file is never touched.
    const QMimeType type =
        QMimeDatabase().mimeTypeForFile(u'x' + key.mid(1), QMimeDatabase::MatchExtension);
    QIcon found = QIcon::fromTheme(type.iconName());
    if (found.isNull())
        found = QIcon::fromTheme(type.genericIconName());
    // A type the theme has no icon for is remembered too, so painting never asks again.
    IconCache.push_back({key, found});
    return found.isNull() ? nullptr : &IconCache.back().Icon;
}

const QIcon& PanelIcons::icon(Kind kind, const QString& name, bool standardMode) {
    if (!standardMode && kind == Kind::File) {
        // Programs, shortcuts and icon files would each show an icon of their own; there is
        // none to take from such a file here, so they keep the image-list picture.
        const QString key = typeKey(name);
        const bool perFileType = key.contains("url") || key.contains("exe") ||
                                 key.contains("ico") || key.contains("lnk");
        if (!perFileType)
            if (const QIcon* themed = themeIcon(key))
                return *themed;
    }
    return image(imageIndex(kind, name));
}
