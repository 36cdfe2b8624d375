#pragma once

#include "platform/message_service.h"

class QWidget;
class UiBridge;

// Message boxes and text questions as Qt dialogs on the GUI thread, asked from any thread
// through the bridge. A box still open when the bridge shuts down is closed with Cancel.
class QtMessageService : public MessageService {
public:
    QtMessageService(UiBridge& bridge, QWidget* owner) : bridge_(bridge), owner_(owner) {}

    MessageButton show(const MessageRequest& request) override;
    std::optional<std::string> askText(const std::string& caption, const std::string& prompt,
                                       const std::string& initial) override;

private:
    UiBridge& bridge_;
    QWidget* owner_;
};
