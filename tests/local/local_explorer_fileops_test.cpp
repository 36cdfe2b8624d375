// The file jobs of a panel as the workers run them: questions, boxes, marks and stops.
#include "local/local_explorer.h"
#include "local/status_text.h"

#include "fileops/test_host.h"
#include "fileops/tree_summary.h"
#include "settings/language_table.h"
#include "support/as_nobody.h"
#include "support/file_content.h"
#include "support/recording_frontend.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <tuple>

namespace {

constexpr unsigned kOverwriteButtons = MessageButton::Yes | MessageButton::No |
                                       MessageButton::Cancel | MessageButton::NoToAll |
                                       MessageButton::YesToAll;

// An empty language table: every text is its key.
class PanelJobTest : public testing::Test {
protected:
    JobQueue queue(bool move, std::vector<std::string> names, const std::string& from,
                   const std::string& to) {
        JobQueue job;
        job.Move = move;
        int row = 1;
        for (std::string& name : names)
            job.Items.push_back({from, to, std::move(name), false, false, row++});
        return job;
    }
    std::vector<std::string> boxTexts() {
        std::vector<std::string> texts;
        for (const MessageRequest& request : screen.script().shown())
            texts.push_back(request.text);
        return texts;
    }

    TempTree tree;
    RecordingFrontend screen;
    LanguageTable texts;
    LocalExplorer panel{screen, texts, PanelSide::Right};
    Job job;
};

// Answers by letter: Y Yes, N No, A Yes to all, X No to all, C Cancel, O a box's Ok (no answer).
struct AnswerCase {
    const char* name;
    const char* answers;
    std::string replaced; // of a, b, c: which now hold the new content
    std::vector<int> unmarked;
    bool stopped;
};

class OverwriteAnswers : public PanelJobTest, public testing::WithParamInterface<AnswerCase> {};

TEST_P(OverwriteAnswers, DecideWhichTargetsAreReplacedAndWhichRowsKeepTheirMarks) {
    const AnswerCase& param = GetParam();
    for (const char* name : {"a", "b", "c"}) {
        tree.write(std::string("from/") + name, "new");
        tree.write(std::string("to/") + name, "old");
    }
    const std::map<char, MessageButton> buttons{
        {'Y', MessageButton::Yes},     {'N', MessageButton::No},     {'A', MessageButton::YesToAll},
        {'X', MessageButton::NoToAll}, {'C', MessageButton::Cancel}, {'O', MessageButton::Ok}};
    for (const char* answer = param.answers; *answer != '\0'; ++answer)
        screen.script().answerNext(buttons.at(*answer));

    panel.CopyMoveItems(queue(false, {"a", "b", "c"}, tree.at("from"), tree.at("to")), job);

    std::string replaced;
    for (const char* name : {"a", "b", "c"})
        if (readFile(tree.at("to/") + name) == "new")
            replaced += name;
    EXPECT_EQ(replaced, param.replaced);
    const auto shown = screen.script().shown();
    ASSERT_EQ(shown.size(), std::strlen(param.answers)) << "one question per answer";
    EXPECT_EQ(std::tuple(shown[0].text, shown[0].buttons, screen.unmarked(), job.stopRequested()),
              std::tuple("Overwrite\n\n" + tree.at("to/a") + "?\n", kOverwriteButtons,
                         param.unmarked, param.stopped));
}

INSTANTIATE_TEST_SUITE_P(EachAnswer, OverwriteAnswers,
                         testing::Values(AnswerCase{"Yes", "YYY", "abc", {1, 2, 3}, false},
                                         AnswerCase{"No", "NYN", "b", {1, 2, 3}, false},
                                         AnswerCase{"YesToAll", "NA", "bc", {1, 2, 3}, false},
                                         AnswerCase{"NoToAll", "X", "", {1, 2, 3}, false},
                                         AnswerCase{"Cancel", "YC", "a", {1}, true},
                                         AnswerCase{"NoAnswer", "OOO", "", {1, 2, 3}, false}),
                         [](const auto& info) { return info.param.name; });

struct FailureCase {
    const char* name;
    int error;
    MessageButton answer;
    const char* text;
    bool goesOn;
};

class FailureBoxes : public PanelJobTest, public testing::WithParamInterface<FailureCase> {};

TEST_P(FailureBoxes, NameThePathAndStopTheJobOnCancelOrAFullDisk) {
    const FailureCase& param = GetParam();
    tree.write("from/first", "1");
    tree.write("from/second", "2");
    tree.write("to/first", "old first");
    SteppedDataPath failing(param.error, 0);
    panel.SetDataPath(failing);
    job.OverwriteAnswer = 10;
    screen.script().answerNext(param.answer);

    panel.CopyMoveItems(queue(false, {"first", "second"}, tree.at("from"), tree.at("to")), job);

    // Every write fails, so the second file fails too, and says so only while the job goes on.
    // A full disk says so already; other failures add the reason.
    const std::string reason = param.error == EIO ? "\nInput/output error" : "";
    std::vector<std::string> expected{param.text + ("\n\n" + tree.at("to/first")) + reason};
    if (param.goesOn)
        expected.push_back(param.text + ("\n\n" + tree.at("to/second")) + reason);
    EXPECT_EQ(boxTexts(), expected);
    EXPECT_EQ(screen.script().shown()[0].buttons, MessageButton::Ok | MessageButton::Cancel);
    EXPECT_EQ(std::tuple(readFile(tree.at("to/first")), leftoverTempFiles(tree.at("to")),
                         std::filesystem::exists(tree.at("to/second")), job.stopRequested()),
              std::tuple("old first", 0, false, !param.goesOn));
}

INSTANTIATE_TEST_SUITE_P(
    DiskFullAndIoError, FailureBoxes,
    testing::Values(FailureCase{"DiskFullEvenOnOk", ENOSPC, MessageButton::Ok, "DiskFull", false},
                    FailureCase{"IoErrorOk", EIO, MessageButton::Ok, "OperationNotAllowed", true},
                    FailureCase{"IoErrorCancel", EIO, MessageButton::Cancel, "OperationNotAllowed",
                                false}),
    [](const auto& info) { return info.param.name; });

TEST_F(PanelJobTest, AnUnprivilegedUserSeesWhatCouldNotBeDeletedOrMadeAndCancelStops) {
    tree.write("closed/one", "1");
    tree.write("closed/two", "2");
    tree.write("closed/sub/three", "3");
    JobQueue doomed = queue(false, {"one", "sub", "two"}, tree.at("closed"), "");
    doomed.Items[1].Folder = true;

    const std::string seen = runAsNobody([&] {
        screen.script().answerNext(MessageButton::Ok);     // "one": go on
        screen.script().answerNext(MessageButton::Cancel); // "sub/three": stop
        panel.DeleteItems(doomed, job);
        screen.script().answerNext(MessageButton::Ok);
        const bool made = panel.MkDir(tree.at("closed"), "new");
        screen.script().answerNext(MessageButton::Ok);
        const bool madeAtRoot = panel.MkDir("/", "tarvo-not-made");
        std::string result = made || madeAtRoot ? "made" : "not made";
        for (const std::string& text : boxTexts())
            result += "|" + text;
        return result;
    });

    EXPECT_EQ(seen, "not made|CouldNotDeleteFile\n\n" + tree.at("closed/one") +
                        "|CouldNotDeleteFile\n\n" + tree.at("closed/sub/three") +
                        "|DirectoryNotCreated\n\n" + tree.at("closed/new") +
                        "|DirectoryNotCreated\n\n/tarvo-not-made");
    EXPECT_EQ(readFile(tree.at("closed/two")), "2");
}

TEST_F(PanelJobTest, ADeleteLeavesAnEntryThatIsNoLongerWhatThePanelListed) {
    tree.write("was-a-file/inside", "precious");
    tree.write("plain", "plain");
    JobQueue doomed = queue(false, {"was-a-file", "plain"}, tree.path(), "");

    panel.DeleteItems(doomed, job);

    EXPECT_EQ(boxTexts(),
              std::vector<std::string>{"CouldNotDeleteFile\n\n" + tree.at("was-a-file")});
    EXPECT_EQ(readFile(tree.at("was-a-file/inside")), "precious");
    EXPECT_FALSE(std::filesystem::exists(tree.at("plain")));
}

TEST_F(PanelJobTest, ProgressCountsEveryByteAndAnEmptyFileNone) {
    const std::string content = randomBytes(3 << 20, 9);
    tree.write("from/data.bin", content);
    tree.write("from/empty", "");
    tree.dir("to");

    panel.CopyMoveItems(queue(false, {"data.bin", "empty"}, tree.at("from"), tree.at("to")), job);

    // The strip shows nothing for an empty file.
    EXPECT_EQ(std::tuple(job.progress.bytesMoved.load(), job.progress.bytesTotal.load(),
                         job.progress.currentItem(), screen.currentFiles().front()),
              std::tuple(std::ssize(content), 0, "Copying: empty", "Copying: data.bin"));
}

TEST(StatusText, CutsLongNamesAfterTwentyFiveCharactersNeverInsideOne) {
    const std::pair<std::string, std::string> cases[] = {
        {"/a/b/short.txt", "short.txt"},
        {"no-slash", "no-slash"},
        {"/x/" + std::string(25, 'a'), std::string(25, 'a')},
        {"/x/" + std::string(26, 'a'), std::string(25, 'a') + "..."},
        {"/x/" + std::string(24, 'a') + "\xc3\xa9\xc3\xa9", std::string(24, 'a') + "\xc3\xa9..."},
        {"/x/" + std::string(24, 'a') + "\xe2\x82\xac", std::string(24, 'a') + "\xe2\x82\xac"},
        {"/x/" + std::string(25, 'a') + "\xf0\x9f\x98\x80", std::string(25, 'a') + "..."},
        {"C:\\dir\\name-with-backslashes-only.txt", "C:\\dir\\name-with-backslas..."},
    };
    for (const auto& [path, shown] : cases)
        EXPECT_EQ(shortenedName(path), shown) << path;
}

} // namespace
