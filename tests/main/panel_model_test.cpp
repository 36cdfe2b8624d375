#include "ftp/remote_listing.h"
#include "main/panel_model.h"

#include <QDate>
#include <QLocale>

#include <gtest/gtest.h>

namespace listing = tarvo::listing;

namespace {

std::shared_ptr<const listing::DirectoryListing>
listingOf(std::vector<std::string> dirs, std::vector<listing::SearchRecord> files) {
    auto result = std::make_shared<listing::DirectoryListing>();
    for (auto& name : dirs)
        result->Dirs.push_back({std::move(name), 0, 0, 0x10});
    result->Files = std::move(files);
    return result;
}

listing::SearchRecord file(std::string name, std::int64_t size = 0) {
    return {std::move(name), size, 0, 0x20};
}

TEST(PanelModel, RowsAreUpThenFoldersThenFiles) {
    PanelModel model;
    model.setListing(listingOf({"docs"}, {file("huge.img", std::int64_t{5} << 30)}), false);
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.nameCell(0), "[..]");
    EXPECT_EQ(model.sizeCell(0), "<DIR>");
    EXPECT_EQ(model.nameCell(1), "[docs]");
    EXPECT_EQ(model.sizeCell(1), "<DIR>");
    EXPECT_EQ(model.nameCell(2), "huge.img");
    EXPECT_EQ(model.data(model.index(2, PanelModel::SizeColumn), Qt::DisplayRole).toString(),
              "5368709120");
    EXPECT_EQ(model.data(model.index(0, PanelModel::AttrColumn), Qt::DisplayRole).toString(), "16");
    EXPECT_EQ(model.folderRow("docs"), 1);
    EXPECT_EQ(model.folderRow("Docs"), std::nullopt);
}

TEST(PanelModel, MarksFollowTheEntriesOfTheSameFolderAndGoWithAnotherFolder) {
    PanelModel model;
    model.setListing(listingOf({}, {file("a"), file("b"), file("c")}), false);
    model.setMarked(2, true); // b
    model.setListing(listingOf({}, {file("new"), file("a"), file("b"), file("c")}), true);
    EXPECT_EQ(model.markedRows(), std::vector<int>{3}) << "a refresh keeps b marked where it went";
    model.setListing(listingOf({}, {file("x"), file("y"), file("b"), file("z")}), false);
    EXPECT_TRUE(model.markedRows().empty()) << "another folder with as many rows drops the marks";
}

TEST(PanelModel, NoMarkingEverMarksTheUpRow) {
    PanelModel model;
    model.setListing(listingOf({"d"}, {file("a"), file("b")}), false);
    model.markAllButUp();
    EXPECT_EQ(model.markedRows(), (std::vector<int>{1, 2, 3}));
    model.invertAllButUp();
    EXPECT_TRUE(model.markedRows().empty());
    model.setMarked(0, true);
    model.toggleMark(0);
    model.toggleRange(0, 1);
    model.markCurrentIfNoneMarked(0);
    EXPECT_EQ(model.markedRows(), std::vector<int>{1}) << "\"[..]\" is never marked";
    EXPECT_EQ(model.selection().folders, 1);
}

TEST(PanelModel, MarksByExtensionIgnoringCase) {
    PanelModel model;
    model.setListing(
        listingOf({"x.txt"}, {file("a.txt"), file("b.Txt"), file("c.txt.bak"), file("noext")}),
        false);
    model.setMarked(4, true); // c.txt.bak stays marked by an earlier choice
    model.markByExtension(markExtension("Report.TXT"), true);
    EXPECT_EQ(model.markedRows(), (std::vector<int>{2, 3, 4}))
        << "a folder shows as [x.txt], whose extension is .txt]";
    model.markByExtension(markExtension("Report.TXT"), false);
    EXPECT_EQ(model.markedRows(), std::vector<int>{4});
    model.markByExtension(markExtension("[folder]"), true);
    EXPECT_EQ(model.markedRows(), (std::vector<int>{4, 5})) << "no dot matches names without one";
}

TEST(PanelModel, RangesToggleBothEndsAndStayInsideTheRows) {
    PanelModel model;
    model.setListing(listingOf({}, {file("1"), file("2"), file("3"), file("4")}), false);
    model.toggleRange(3, 1);
    EXPECT_EQ(model.markedRows(), (std::vector<int>{1, 2, 3}));
    model.toggleRange(3, 4);
    EXPECT_EQ(model.markedRows(), (std::vector<int>{1, 2, 4}));
    model.toggleRange(2, 99);
    EXPECT_EQ(model.markedRows(), (std::vector<int>{1, 2, 4})) << "a range past the end is ignored";
}

TEST(PanelModel, RemoteRowsShowLinksModesAndTheServersOwnDates) {
    // Far east of the server: a conversion to local time would move every date.
    const QByteArray savedZone = qgetenv("TZ");
    qputenv("TZ", "Pacific/Kiritimati");
    auto remote = std::make_shared<listing::DirectoryListing>();
    listing::SearchRecord link{"lib", 0, serverClockSeconds({2001, 1, 9, 0, 0}), 0x10, true};
    link.Mode = 0777;
    remote->Dirs.push_back(link);
    remote->Dirs.push_back({"dos", 0, kUnknownRemoteTime, 0x10});
    listing::SearchRecord script{"run.sh", 5, serverClockSeconds({2024, 2, 29, 23, 30}), 0x80};
    script.Mode = 04755;
    remote->Files.push_back(script);
    PanelModel model;
    model.setListing(remote, false, true);
    const auto cell = [&](int row, int column) {
        return model.data(model.index(row, column), Qt::DisplayRole).toString();
    };
    const QLocale locale = QLocale::system();
    EXPECT_EQ(model.sizeCell(1), "<LNK>");
    EXPECT_TRUE(model.isLink(1));
    EXPECT_EQ(model.sizeCell(2), "<DIR>");
    EXPECT_EQ(cell(1, PanelModel::AttrColumn), "777");
    EXPECT_EQ(cell(2, PanelModel::AttrColumn), "16") << "no mode: the attribute bits";
    EXPECT_EQ(cell(3, PanelModel::AttrColumn), "755");
    EXPECT_EQ(cell(1, PanelModel::DateColumn),
              locale.toString(QDate(2001, 1, 9), QLocale::ShortFormat));
    EXPECT_EQ(cell(2, PanelModel::DateColumn), "1970-01-01");
    EXPECT_TRUE(cell(3, PanelModel::DateColumn)
                    .startsWith(locale.toString(QDate(2024, 2, 29), QLocale::ShortFormat) + " "));

    model.setListing(remote, false, false);
    EXPECT_EQ(model.sizeCell(1), "<DIR>") << "a local link to a folder is a folder";
    if (savedZone.isEmpty())
        qunsetenv("TZ");
    else
        qputenv("TZ", savedZone);
}

} // namespace
