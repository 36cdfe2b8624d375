#include "ftp/remote_listing.h"
#include "main/panel_model.h"

#include "support/scoped_time_zone.h"

#include <QDate>
#include <QLocale>

#include <gtest/gtest.h>

#include <limits>

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

listing::SearchRecord file(std::string name, std::uint64_t size = 0) {
    return {std::move(name), size, 0, 0x20};
}

// The texts of one column, top to bottom.
QStringList cells(const PanelModel& model, int column) {
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row)
        texts << model.data(model.index(row, column), Qt::DisplayRole).toString();
    return texts;
}

TEST(PanelModel, RowsAreUpThenFoldersThenFiles) {
    PanelModel model;
    model.setListing(listingOf({"docs"}, {file("huge.img", std::int64_t{5} << 30)}), false);
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.nameCell(0) + model.nameCell(1) + model.nameCell(2), "[..][docs]huge.img");
    EXPECT_EQ(cells(model, PanelModel::SizeColumn), (QStringList{"<DIR>", "<DIR>", "5368709120"}));
    EXPECT_EQ(cells(model, PanelModel::AttrColumn).front(), "");
    EXPECT_EQ(std::pair(model.folderRow("docs"), model.folderRow("Docs")),
              std::pair(std::optional<int>(1), std::optional<int>()));
}

TEST(PanelModel, SizesPast2To63ShowAsTheyAreAndTheSelectionSumStopsAtTheLargest) {
    const std::uint64_t max = std::numeric_limits<std::uint64_t>::max();
    PanelModel model;
    model.setListing(listingOf({}, {file("max", max), file("half", std::uint64_t{1} << 63)}),
                     false);
    EXPECT_EQ(cells(model, PanelModel::SizeColumn),
              (QStringList{"<DIR>", "18446744073709551615", "9223372036854775808"}));
    model.markAllButUp();
    EXPECT_EQ(model.selection().bytes, max);
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
    std::vector<std::vector<int>> marks;
    for (const auto& [first, last] : {std::pair{3, 1}, {3, 4}, {2, 99}}) {
        model.toggleRange(first, last);
        marks.push_back(model.markedRows());
    }
    // A range past the end is ignored.
    EXPECT_EQ(marks, (std::vector<std::vector<int>>{{1, 2, 3}, {1, 2, 4}, {1, 2, 4}}));
}

TEST(PanelModel, RemoteRowsShowLinksModesAndTheServersOwnDates) {
    // Far east of the server: a conversion to local time would move every date.
    const ScopedTimeZone zone("Pacific/Kiritimati");
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
    const QLocale locale = QLocale::system();
    EXPECT_TRUE(model.isLink(1));
    EXPECT_EQ(cells(model, PanelModel::SizeColumn).mid(1), (QStringList{"<LNK>", "<DIR>", "5"}));
    // Without a mode, the attribute bits.
    EXPECT_EQ(cells(model, PanelModel::AttrColumn).mid(1), (QStringList{"777", "16", "755"}));
    const QStringList dates = cells(model, PanelModel::DateColumn);
    EXPECT_EQ(
        dates.mid(1, 2),
        (QStringList{locale.toString(QDate(2001, 1, 9), QLocale::ShortFormat), "1970-01-01"}));
    EXPECT_TRUE(
        dates[3].startsWith(locale.toString(QDate(2024, 2, 29), QLocale::ShortFormat) + " "));

    model.setListing(remote, false, false);
    EXPECT_EQ(model.sizeCell(1), "<DIR>") << "a local link to a folder is a folder";
}

} // namespace
