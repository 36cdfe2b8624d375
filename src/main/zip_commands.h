#pragma once

#include "local/zip_jobs/zip_thread.h"
#include "main/window_context.h"

#include <QObject>
#include <QPointer>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CoalescedText;
class PanelIcons;
class ProgressStrip;
class TOKRightDlg1234;

// Pack, Unpack and View archive: the commands, the archive viewer, and what the zip jobs ask of
// the screen while they run on threads of their own (one job per panel at a time).
class ZipCommands : public QObject, private ZipJobHost {
public:
    ZipCommands(const WindowContext& context, ProgressStrip& strip, PanelIcons& icons);
    ~ZipCommands() override;

    bool running() const;
    void cancelPacking(); // the cancel's step for the zip jobs: a pack stops, an unpack goes on
    void stop();          // the close's: every job stops, and is joined

private:
    void Zip1Click();
    void UnZip1Click();
    void Zipview1Click();
    bool busy(PanelSide side) const;
    // The file under the active local panel's current row, while the panels are idle.
    const tarvo::listing::SearchRecord* currentArchiveCandidate();
    void viewerUnpack(TOKRightDlg1234& viewer, PanelSide side);
    // Asks where to unpack the archive (the viewer's marks of it, if a selection is given) and
    // starts the job; listed: the archive as a viewer listed it, the only one it may unpack.
    void promptUnpack(PanelSide side, const std::string& archive,
                      std::optional<std::vector<int>> selection, TOKRightDlg1234* viewer,
                      std::optional<tarvo::zip::FileStamp> listed = std::nullopt);
    void startZipJob(ZipJob job, TOKRightDlg1234* viewer = nullptr);

    // ZipJobHost
    MessageService& messages() override { return context_.messages; }
    std::string translate(const std::string& key) override { return context_.translate(key); }
    void setZipState(int state) override;
    void showZipStatus(std::string text) override;
    void packedRow(PanelSide side, const ZipPackItem& item) override;
    void unpackedEntry(int index) override;
    void rereadPanels() override;
    bool postPanelRefresh() override;
    void beep() override;
    void zipJobEnded() override;

    const WindowContext& context_;
    ProgressStrip& strip_;
    PanelIcons& icons_;
    std::array<std::unique_ptr<ZipThread>, 2> ZipWorkers; // the panels' jobs, [panel number - 1]
    QPointer<TOKRightDlg1234> zipViewer_;                 // the viewer whose marks a job takes
    std::unique_ptr<CoalescedText> zipStatus_;            // the status line while a job runs
    std::string ArchivePath;  // the archive the last zip command writes or reads
    std::string UnpackFolder; // where the last unpack puts the entries, ending in "/"
};
