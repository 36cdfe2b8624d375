#pragma once

#include "local/zip_jobs/zip_thread.h"
#include "support/scripted_messages.h"

#include <functional>
#include <mutex>
#include <string>
#include <vector>

// Stands in for the window: answers the job's questions from a script and records everything
// else it is asked. Read what it recorded once the job is joined.
class RecordingZipHost : public ZipJobHost {
public:
    MessageService& messages() override { return script; }
    std::string translate(const std::string& key) override { return key; }
    void setZipState(int state) override { states.push_back(state); }
    void showZipStatus(std::string text) override {
        {
            std::lock_guard lock(statusMutex);
            statuses.push_back(text);
        }
        if (onStatus)
            onStatus(text);
    }
    void packedRow(PanelSide, const ZipPackItem& item) override { rows.push_back(item.Row); }
    void unpackedEntry(int index) override { taken.push_back(index); }
    void rereadPanels() override { ++rereads; }
    bool postPanelRefresh() override {
        ++refreshPosts;
        return remoteWorkerIdle;
    }
    void beep() override { ++beeps; }
    void zipJobEnded() override { ended = true; }

    // Runs the job to its end.
    void run(ZipJob job) { ZipThread(std::move(job), *this).join(); }

    // The boxes shown that only inform (reports and errors), by their texts.
    std::vector<std::string> reports() const {
        std::vector<std::string> texts;
        for (const MessageRequest& shown : script.shown())
            if (shown.buttons == MessageButton::Ok)
                texts.push_back(shown.text);
        return texts;
    }

    ScriptedMessages script;
    std::function<void(const std::string&)> onStatus; // on the job's thread
    bool remoteWorkerIdle = true;
    std::mutex statusMutex;
    std::vector<std::string> statuses;
    std::vector<int> states;
    std::vector<int> rows;
    std::vector<int> taken;
    int rereads = 0;
    int refreshPosts = 0;
    int beeps = 0;
    bool ended = false;
};
