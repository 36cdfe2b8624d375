#include "app/engine.h"

#include "settings/language_table.h"
#include "support/pump.h"
#include "support/recording_frontend.h"
#include "support/temp_tree.h"
#include "workers/commands.h"

#include <gtest/gtest.h>

#include <algorithm>

// The engine works without a window: its workers serve the commands it handles itself and
// reach the screen only through the Frontend, and they end with it.
TEST(Engine, ServesTheTreeListingOnItsLocalWorkerAndStopsWithIt) {
    TempTree tree;
    tree.file("a");
    tree.dir("sub");
    tree.file("sub/b");
    RecordingFrontend screen;
    LanguageTable texts;
    {
        Engine engine(screen, texts);
        engine.rightExplorer().SetPath(tree.path());
        engine.startWorkers([](int, const std::string&) {});
        // Asked from the left panel, the tree is the right one's.
        ASSERT_EQ(engine.localCommands().post(cmd::LocalTree{2}), PostResult::Started);
        ASSERT_TRUE(pumpUntil([&] { return screen.console().size() == 2; }));
    }
    std::vector<std::string> console = screen.console();
    std::ranges::sort(console);
    EXPECT_EQ(console, (std::vector<std::string>{tree.at("a"), tree.at("sub/b")}));
}
