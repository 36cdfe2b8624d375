#pragma once

#include "platform/message_service.h"

#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// A message service for tests: records every box and question and answers from a script.
// With an empty script a box is answered with its first button.
class ScriptedMessages : public MessageService {
public:
    MessageButton show(const MessageRequest& request) override {
        std::lock_guard lock(mutex_);
        shown_.push_back(request);
        if (!answers_.empty()) {
            const MessageButton answer = answers_.front();
            answers_.pop_front();
            return answer;
        }
        for (unsigned bit = 1; bit != 0; bit <<= 1)
            if (request.buttons & bit)
                return static_cast<MessageButton>(bit);
        return MessageButton::Ok;
    }

    // Records the question (its starting value as the text after the prompt and a line feed)
    // and answers from the text script; cancelled when that is empty.
    std::optional<std::string> askText(const std::string& caption, const std::string& prompt,
                                       const std::string& initial) override {
        std::lock_guard lock(mutex_);
        shown_.push_back({caption, prompt + "\n" + initial,
                          MessageButton::Ok | MessageButton::Cancel, MessageIcon::Question});
        if (texts_.empty())
            return std::nullopt;
        std::optional<std::string> answer = texts_.front();
        texts_.pop_front();
        return answer;
    }

    void answerNext(MessageButton answer) {
        std::lock_guard lock(mutex_);
        answers_.push_back(answer);
    }
    void answerTextNext(std::optional<std::string> text) {
        std::lock_guard lock(mutex_);
        texts_.push_back(std::move(text));
    }
    std::vector<MessageRequest> shown() const {
        std::lock_guard lock(mutex_);
        return shown_;
    }

private:
    mutable std::mutex mutex_;
    std::deque<MessageButton> answers_;
    std::deque<std::optional<std::string>> texts_;
    std::vector<MessageRequest> shown_;
};
