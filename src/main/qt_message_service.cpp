#include "main/qt_message_service.h"

#include "platform/ui_bridge.h"

#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include <array>
#include <utility>

namespace {

constexpr std::array<std::pair<MessageButton, QMessageBox::StandardButton>, 6> kButtons{{
    {MessageButton::Ok, QMessageBox::Ok},
    {MessageButton::Cancel, QMessageBox::Cancel},
    {MessageButton::Yes, QMessageBox::Yes},
    {MessageButton::YesToAll, QMessageBox::YesToAll},
    {MessageButton::No, QMessageBox::No},
    {MessageButton::NoToAll, QMessageBox::NoToAll},
}};

QMessageBox::Icon qtIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// The answer a box gives when it is closed without a button: Cancel where there is one,
// otherwise the only harmless choice.
MessageButton closeAnswer(unsigned buttons) {
    if (buttons & MessageButton::Cancel)
        return MessageButton::Cancel;
    if (buttons & MessageButton::No)
        return MessageButton::No;
    return MessageButton::Ok;
}

} // namespace

MessageButton QtMessageService::show(const MessageRequest& request) {
    return bridge_.ask<MessageButton>(
        [this, request] {
            QMessageBox box(qtIcon(request.icon), QString::fromStdString(request.title),
                            QString::fromStdString(request.text), QMessageBox::NoButton, owner_);
            box.setTextFormat(Qt::PlainText); // names, paths and replies, never markup
            for (const auto& [ours, qt] : kButtons)
                if (request.buttons & ours)
                    box.addButton(qt);
            if (request.buttons & MessageButton::Cancel)
                box.setEscapeButton(QMessageBox::Cancel);
            QObject::connect(&bridge_, &UiBridge::shuttingDown, &box, &QMessageBox::reject);
            box.exec();
            const auto clicked = box.standardButton(box.clickedButton());
            for (const auto& [ours, qt] : kButtons)
                if (clicked == qt)
                    return ours;
            return closeAnswer(request.buttons);
        },
        MessageButton::Cancel);
}

std::optional<std::string> QtMessageService::askText(const std::string& caption,
                                                     const std::string& prompt,
                                                     const std::string& initial) {
    return bridge_.ask<std::optional<std::string>>(
        [this, caption, prompt, initial]() -> std::optional<std::string> {
            QInputDialog dialog(owner_);
            dialog.setWindowTitle(QString::fromStdString(caption));
            dialog.setLabelText(QString::fromStdString(prompt));
            for (auto* label : dialog.findChildren<QLabel*>())
                label->setTextFormat(Qt::PlainText);
            dialog.setTextValue(QString::fromStdString(initial));
            QObject::connect(&bridge_, &UiBridge::shuttingDown, &dialog, &QDialog::reject);
            if (dialog.exec() != QDialog::Accepted)
                return std::nullopt;
            return dialog.textValue().toStdString();
        },
        std::nullopt);
}
