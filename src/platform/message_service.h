#pragma once

#include <optional>
#include <string>

// Buttons of a message box; a request combines several, an answer is exactly one.
enum MessageButton : unsigned {
    Ok = 1u << 0,
    Cancel = 1u << 1,
    Yes = 1u << 2,
    No = 1u << 3,
    YesToAll = 1u << 4,
    NoToAll = 1u << 5,
};

enum class MessageIcon { None, Information, Question, Warning, Error };

struct MessageRequest {
    std::string title;
    std::string text;
    unsigned buttons = MessageButton::Ok;
    MessageIcon icon = MessageIcon::None;
};

// Every message box and question of the program goes through this service, so that any
// thread may ask and tests can answer from a script. At shutdown every question is answered
// with Cancel (or no text), so that a worker waiting on one can always be joined.
class MessageService {
public:
    virtual ~MessageService() = default;

    // Shows the box and waits for the user's button.
    virtual MessageButton show(const MessageRequest& request) = 0;

    // Asks for one line of text; no value when the user cancels.
    virtual std::optional<std::string>
    askText(const std::string& caption, const std::string& prompt, const std::string& initial) = 0;
};
