// copybench [--move] SRC... DEST: copies (or moves) each SRC, a file or a folder, into the
// existing folder DEST under its last name component, through the same job code the panels
// run, without a screen: every overwrite question is answered Yes to all, every message goes
// to stderr. The last line reads "N files, B bytes in S s". Exit status 0 only when every
// entry was done.
#include "local/local_explorer.h"
#include "platform/message_service.h"
#include "settings/language_table.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kYesToAll = 10;

// Prints every box and counts them: with every question answered ahead, a box is a failure.
class StderrMessages : public MessageService {
public:
    MessageButton show(const MessageRequest& request) override {
        std::fprintf(stderr, "copybench: %s\n", request.text.c_str());
        ++shown;
        return MessageButton::Ok;
    }
    std::optional<std::string> askText(const std::string&, const std::string&,
                                       const std::string&) override {
        return std::nullopt;
    }
    int shown = 0;
};

class NoScreen : public Frontend {
public:
    MessageService& messages() override { return messages_; }
    void setPanelsEnabled(bool) override {}
    void showPanel(PanelSide, PanelView) override {}
    void clearMarks(PanelSide) override {}
    void openDocument(std::string) override {}
    void addToHistory(PanelSide, std::string) override {}
    void jobEnded(const std::shared_ptr<Job>&, int) override {}
    void showCurrentFile(std::string) override {}
    void unmarkRow(PanelSide, int, std::string) override {}
    void appendConsole(std::string) override {}
    void showSession(SessionView) override {}
    int failures() const { return messages_.shown; }

private:
    StderrMessages messages_;
};

// "/a/b/" -> ("/a", "b"); "b" -> (".", "b").
MarkDomain itemFor(std::string path, const std::string& target) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return {".", target, path};
    return {slash == 0 ? "/" : path.substr(0, slash), target, path.substr(slash + 1)};
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    const bool move = !arguments.empty() && arguments.front() == "--move";
    if (move)
        arguments.erase(arguments.begin());
    if (arguments.size() < 2) {
        std::fprintf(stderr, "usage: copybench [--move] SRC... DEST\n");
        return 2;
    }
    const std::string target = arguments.back();
    arguments.pop_back();
    JobQueue queue;
    queue.Move = move;
    for (const std::string& source : arguments)
        queue.Items.push_back(itemFor(source, target));

    NoScreen screen;
    const LanguageTable texts;
    LocalExplorer explorer{screen, texts, PanelSide::Left};
    Job job;
    job.OverwriteAnswer = kYesToAll;

    const auto start = std::chrono::steady_clock::now();
    explorer.CopyMoveItems(queue, job);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%d files, %lld bytes in %.3f s\n", job.progress.itemsDone.load(),
                static_cast<long long>(job.progress.bytesMoved.load()), seconds);
    return screen.failures() == 0 ? 0 : 1;
}
