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

    // Records the question (its prompt, a line feed and the text offered) and answers from the
    // script of texts; as a cancelled one when that is empty.
    std::optional<std::string> askText(const std::string& caption, const std::string& prompt,
                                       const std::string& initial) override {
        std::lock_guard lock(mutex_);
        shown_.push_back({caption, prompt + "\n" + initial,
                          MessageButton::Ok | MessageButton::Cancel, MessageIcon::Question});
        if (textAnswers_.empty())
            return std::nullopt;
        std::optional<std::string> answer = textAnswers_.front();
        textAnswers_.pop_front();
        return answer;
    }

    void answerNext(MessageButton answer) {
        std::lock_guard lock(mutex_);
        answers_.push_back(answer);
    }
    void answerTextNext(std::optional<std::string> answer) {
        std::lock_guard lock(mutex_);
        textAnswers_.push_back(std::move(answer));
    }
    std::vector<MessageRequest> shown() const {
        std::lock_guard lock(mutex_);
        return shown_;
    }

private:
    mutable std::mutex mutex_;
    std::deque<MessageButton> answers_;
    std::deque<std::optional<std::string>> textAnswers_;
    std::vector<MessageRequest> shown_;
};
