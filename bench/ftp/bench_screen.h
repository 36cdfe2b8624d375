#pragma once

#include "frontend/frontend.h"
#include "platform/message_service.h"

#include <atomic>
#include <cstdio>
#include <string>

// Tells every box on stderr; a question with a Yes button gets `yes`, any other box its first
// button. Counts the boxes that were no question: each tells of a failure.
class StderrMessages : public MessageService {
public:
    explicit StderrMessages(MessageButton yes) : yes_(yes) {}
    MessageButton show(const MessageRequest& request) override {
        std::fprintf(stderr, "%s\n", request.text.c_str());
        if (request.buttons & MessageButton::Yes)
            return yes_;
        ++failures;
        for (unsigned bit = 1; bit != 0; bit <<= 1) {
            if (request.buttons & bit)
                return static_cast<MessageButton>(bit);
        }
        return MessageButton::Ok;
    }
    std::optional<std::string> askText(const std::string&, const std::string&,
                                       const std::string&) override {
        return std::nullopt;
    }

    std::atomic<int> failures{0};

private:
    MessageButton yes_;
};

// Keeps what the session shows; the console is kept for a failure's report.
class BenchScreen : public Frontend {
public:
    explicit BenchScreen(MessageButton yes) : messages_(yes) {}
    MessageService& messages() override { return messages_; }
    void setPanelsEnabled(bool) override {}
    void showPanel(PanelSide, PanelView view) override { shown = std::move(view); }
    void addToHistory(PanelSide, std::string) override {}
    void jobEnded(const std::shared_ptr<Job>&, int) override {}
    void showCurrentFile(std::string) override {}
    void unmarkRow(PanelSide, int, std::string) override {}
    void clearMarks(PanelSide) override {}
    void openDocument(std::string) override {}
    void appendConsole(std::string text) override { console += text + "\n"; }
    void showSession(SessionView) override {}

    int failures() const { return messages_.failures; }

    PanelView shown;
    std::string console;

private:
    StderrMessages messages_;
};
