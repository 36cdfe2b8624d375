#pragma once

#include "ftp/ftp_com.h"
#include "ftp/site_store.h"
#include "local/local_explorer.h"
#include "settings/language_table.h"
#include "test_servers.h"

#include "support/recording_frontend.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <stdexcept>

// A recording screen whose console fails on a line holding failOn, as a broken widget would.
class TestScreen : public RecordingFrontend {
public:
    void appendConsole(std::string text) override {
        if (!failOn.empty() && text.find(failOn) != std::string::npos)
            throw std::runtime_error("the console failed");
        RecordingFrontend::appendConsole(std::move(text));
    }
    std::string failOn;
};

// An FTP session over a recording screen, with its own program folder (for "temp" and the
// saved sites) and an empty language table, so that every text is its key. The test thread
// plays the remote worker. Console lines carry the time 12:00:00.
class SessionFixture : public testing::Test {
protected:
    void SetUp() override {
        setenv("TARVO_HOME", program.path().c_str(), 1);
        program.dir("config");
        sites = std::make_unique<IOFile>();
        left.SetPath(program.dir("local"));
        right.SetPath(program.at("local"));
        ftp = std::make_unique<FTPCom>(screen, texts, *sites, left, right,
                                       [] { return std::string("12:00:00"); });
    }
    void TearDown() override {
        ftp.reset();
        unsetenv("TARVO_HOME");
    }

    static ConnectFields fieldsFor(const tarvo::ftp::test::TestServer& server) {
        return {"site", server.host, std::to_string(server.process->port()), server.user,
                server.password};
    }

    // Connects into the panel and shows the start folder, as the connect command does.
    void connectAndShow(const tarvo::ftp::test::TestServer& server, int panel = 2) {
        ASSERT_EQ(ftp->Connect(fieldsFor(server), panel), 1) << console();
        ASSERT_EQ(ftp->List(), 0) << console();
        ftp->FillGrid("*.*");
    }

    // The names the panel shows, folders in brackets, in row order after "[..]".
    std::vector<std::string> rows() const {
        std::vector<std::string> names;
        const PanelView view = screen.lastView();
        if (!view.Listing)
            return names;
        for (const auto& dir : view.Listing->Dirs)
            names.push_back("[" + dir.Name + "]");
        for (const auto& file : view.Listing->Files)
            names.push_back(file.Name);
        return names;
    }

    const tarvo::listing::SearchRecord* row(const std::string& name) const {
        const PanelView view = screen.lastView();
        for (const auto* records : {&view.Listing->Dirs, &view.Listing->Files})
            for (const auto& record : *records)
                if (record.Name == name)
                    return &record;
        return nullptr;
    }

    std::string console() const {
        std::string text;
        for (const std::string& line : screen.console())
            text += line + "\n";
        return text;
    }

    std::vector<std::string> boxes() {
        std::vector<std::string> texts;
        for (const MessageRequest& request : screen.script().shown())
            texts.push_back(request.text);
        return texts;
    }

    TempTree program;
    LanguageTable texts;
    TestScreen screen;
    std::unique_ptr<IOFile> sites;
    LocalExplorer left{screen, texts, PanelSide::Left};
    LocalExplorer right{screen, texts, PanelSide::Right};
    std::unique_ptr<FTPCom> ftp;
};
