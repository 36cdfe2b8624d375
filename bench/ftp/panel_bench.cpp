// The FTP panel's listing timed from outside: connect (passive), LIST parsed while it arrives
// into panel records, the raw copy in "temp", the sort by KEY (default "name 1-0"). Prints one
// line per row after "[..]", in panel order, its name, size, attribute and date cells as the
// panel shows them, tab-separated; the last line is "N entries S seconds", S from the start of
// the connect to the sorted listing.
#include "panel_bench.h"

#include "bench_screen.h"

#include "ftp/ftp_com.h"
#include "ftp/site_store.h"
#include "local/local_explorer.h"
#include "main/panel_model.h"
#include "platform/message_service.h"
#include "settings/language_table.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <unordered_map>

int panelBench(int argc, char** argv) {
    if (argc < 7 || argc > 8) {
        std::fprintf(stderr, "usage: ftpbench panel HOST PORT USER PASS DIR [KEY]\n");
        return 2;
    }
    BenchScreen screen{MessageButton::No};
    const LanguageTable texts;
    IOFile sites;
    SiteRecord site = sites.currentSite();
    site.Passive = true;
    site.StartDir = argv[6];
    sites.setCurrentSite(site);
    LocalExplorer left(screen, texts, PanelSide::Left);
    LocalExplorer right(screen, texts, PanelSide::Right);
    left.SetSortKey(argc == 8 ? argv[7] : "name 1-0");
    FTPCom session(screen, texts, sites, left, right);

    const auto start = std::chrono::steady_clock::now();
    if (session.Connect({"ftpbench", argv[2], argv[3], argv[4], argv[5]}, 2) <= -2 ||
        session.List() != 0) {
        std::fprintf(stderr, "%s", screen.console.c_str());
        return 1;
    }
    session.FillGrid("*.*");
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;

    PanelModel rows;
    rows.setListing(screen.shown.Listing, false, true);
    const auto cell = [&](int row, int column) {
        return rows.data(rows.index(row, column), Qt::DisplayRole).toString().toStdString();
    };
    // Many entries share a date and a mode; each is formatted once.
    std::unordered_map<std::int64_t, std::string> dates;
    std::unordered_map<std::int64_t, std::string> modes;
    // Written through one reused buffer: a string of all the rows grew by reallocation to
    // several megabytes, which cost more than formatting them.
    constexpr std::size_t kFlushAt = 60 * 1024;
    std::string output;
    output.reserve(kFlushAt + 4096);
    for (int row = 1; row < rows.rowCount(); ++row) {
        const auto* record = rows.recordAt(row);
        auto [date, newDate] = dates.try_emplace(record->Time);
        if (newDate)
            date->second = cell(row, PanelModel::DateColumn);
        auto [mode, newMode] = modes.try_emplace(std::int64_t{record->Mode} << 32 | record->Attr);
        if (newMode)
            mode->second = cell(row, PanelModel::AttrColumn);
        output += rows.nameCell(row);
        output += '\t';
        output += rows.sizeCell(row);
        output += '\t';
        output += mode->second;
        output += '\t';
        output += date->second;
        output += '\n';
        if (output.size() >= kFlushAt) {
            std::fwrite(output.data(), 1, output.size(), stdout);
            output.clear();
        }
    }
    std::fwrite(output.data(), 1, output.size(), stdout);
    std::printf("%d entries %.3f seconds\n", rows.rowCount() - 1, elapsed.count());
    return 0;
}
