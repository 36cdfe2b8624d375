// What a panel cell looks like: the colours of its texts, the type tag and the row's image.
#include "main/panel_delegate.h"
#include "main/panel_icons.h"
#include "main/panel_model.h"

#include <QImage>
#include <QPainter>
#include <QStyleOptionViewItem>
#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

namespace listing = tarvo::listing;
using Kind = PanelIcons::Kind;

constexpr int kCellWidth = 240;
constexpr int kCellHeight = 18;
constexpr int kTagOffset = 160;

// Rows: 0 [..], 1 [docs], 2 data.bin, 3 the current row (never painted here: it is shaded).
class PanelDelegateTest : public testing::Test {
protected:
    void SetUp() override {
        auto rows = std::make_shared<listing::DirectoryListing>();
        rows->Dirs.push_back({"docs", 0, 0, listing::Directory});
        rows->Files.push_back({"data.bin", 1234, 1700000000, listing::Archive});
        rows->Files.push_back({"current.txt", 1, 1700000000, listing::Archive});
        model.setListing(rows, false);
        model.setCurrentRow(3);
    }

    QImage paint(int row, int column) {
        QImage image(kCellWidth, kCellHeight, QImage::Format_RGB32);
        image.fill(Qt::magenta); // whatever the delegate leaves unpainted shows up
        QPainter painter(&image);
        QStyleOptionViewItem option;
        option.rect = image.rect();
        delegate.paint(&painter, option, model.index(row, column));
        return image;
    }

    PanelModel model;
    PanelIcons icons;
    bool active = true;
    PanelDelegate delegate{model, icons,
                           PanelDelegate::Environment{[] { return true; },
                                                      [this] { return active; },
                                                      [] { return kTagOffset; }}};
};

// The colours of the ink between two x positions: "black", "red" or "blue" for each pixel that
// is not the background ("other" for anything else, unpainted magenta too).
std::set<std::string> inks(const QImage& image, int fromX, int toX, QColor background) {
    std::set<std::string> found;
    for (int y = 0; y < image.height(); ++y)
        for (int x = fromX; x < toX; ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel == background)
                continue;
            const int r = pixel.red(), g = pixel.green(), b = pixel.blue();
            const bool grey = std::max({r, g, b}) - std::min({r, g, b}) < 40;
            if (grey && r > 160)
                continue; // the faint edge of a letter, whatever its colour
            if (grey)
                found.insert("black");
            else if (r > g && r > b && g == b)
                found.insert("red");
            else if (b > r && b > g && r == g)
                found.insert("blue");
            else
                found.insert("other");
        }
    return found;
}

TEST_F(PanelDelegateTest, TextColoursFollowTheMarkAndTheUpRowIsAlwaysBlue) {
    using Inks = std::set<std::string>;
    const struct {
        int row;
        bool marked;
        int column;
        int fromX, toX;
        Inks expected;
    } cells[] = {
        {0, false, PanelModel::NameColumn, 0, kCellWidth, {"blue"}},
        {0, true, PanelModel::NameColumn, 0, kCellWidth, {"blue"}},
        {0, true, PanelModel::SizeColumn, 0, kCellWidth, {}},
        {1, false, PanelModel::NameColumn, 0, kCellWidth, {"black"}},
        {1, true, PanelModel::NameColumn, 0, kCellWidth, {"red"}},
        {1, true, PanelModel::SizeColumn, 0, kCellWidth, {"red"}},
        {2, false, PanelModel::NameColumn, 0, kTagOffset, {"black"}},
        {2, false, PanelModel::NameColumn, kTagOffset, kCellWidth, {"blue"}},
        {2, false, PanelModel::DateColumn, 0, kCellWidth, {"black"}},
        {2, true, PanelModel::NameColumn, 0, kTagOffset, {"red"}},
        {2, true, PanelModel::NameColumn, kTagOffset, kCellWidth, {"red"}},
        {2, true, PanelModel::SizeColumn, 0, kCellWidth, {"red"}},
        {2, true, PanelModel::AttrColumn, 0, kCellWidth, {"red"}},
    };
    for (const auto& cell : cells) {
        SCOPED_TRACE("row " + std::to_string(cell.row) + " column " + std::to_string(cell.column) +
                     (cell.marked ? " marked" : "") + " from x " + std::to_string(cell.fromX));
        model.clearMarks();
        model.setMarked(cell.row, cell.marked);
        const QImage image = paint(cell.row, cell.column);
        EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::white)) << "every cell is white underneath";
        EXPECT_EQ(inks(image, cell.fromX, cell.toX, Qt::white), cell.expected);
    }
}

TEST_F(PanelDelegateTest, TheCurrentRowIsShadedMoreWhileItsPanelIsActive) {
    const QColor activeShade = paint(3, PanelModel::SizeColumn).pixelColor(0, 0);
    active = false;
    const QColor inactiveShade = paint(3, PanelModel::SizeColumn).pixelColor(0, 0);
    EXPECT_NE(activeShade, QColor(Qt::white));
    EXPECT_NE(inactiveShade, QColor(Qt::white));
    EXPECT_NE(activeShade, inactiveShade);
}

TEST(PanelTypeTag, IsABlankUpToFourUpperCaseExtensionLettersAndFourBlanks) {
    const struct {
        const char* name;
        const char* tag;
    } cases[] = {
        {"photo.JPEG", " JPEG    "},     {"backup.tar.gz", " GZ    "}, {"Makefile", "     "},
        {"notes.markdown", " MARK    "}, {".bashrc", " BASH    "},     {"trailing.", "     "},
        {"summer.été", " ÉTÉ    "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PanelDelegate::typeTag(QString::fromUtf8(c.name)).toStdString(), c.tag) << c.name;
}

// The archive viewer's rows: folders and the archive's own path show a folder.
TEST(PanelImageIndex, ArchiveRowsShowAFolderForFoldersAndTheArchiveItself) {
    for (const auto& [text, image] : {std::pair{"      x.JPG", 16},
                                      {"      x.tar.gz", 4},
                                      {"            dir/", 0},
                                      {"/home/ann/a.zip", 0}})
        EXPECT_EQ(PanelIcons::archiveRowImage(text), image) << text;
}

} // namespace
