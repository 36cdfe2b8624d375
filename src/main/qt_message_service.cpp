#include "main/qt_message_service.h"

#include "platform/ui_bridge.h"

#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
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

// A box belongs to the window the user works in (a dialog of the main window, say): it shows
// over that window, and closing it gives the keyboard back there.
QWidget* boxParent(QWidget* owner) {
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    if (QWidget* active = QApplication::activeWindow())
        return active;
    return owner;
}

// Not every window manager activates the window a closed box stood over.
void giveKeyboardBack(const QPointer<QWidget>& window) {
    if (window && window->isVisible())
        window->activateWindow();
}

// A box on the heap, deleted at the end of the scope unless a parent that went while the box
// was open took it along.
template <class Box> class ScopedBox {
public:
    explicit ScopedBox(Box* box) : box_(box) {}
    ~ScopedBox() { delete box_.data(); }
    ScopedBox(const ScopedBox&) = delete;
    ScopedBox& operator=(const ScopedBox&) = delete;
    Box* operator->() const { return box_.data(); }
    Box* get() const { return box_.data(); }
    explicit operator bool() const { return !box_.isNull(); }

private:
    QPointer<Box> box_;
};

} // namespace

MessageButton QtMessageService::show(const MessageRequest& request) {
    return bridge_.ask<MessageButton>(
        [this, request] {
            const QPointer<QWidget> parent = boxParent(owner_);
            const ScopedBox box(new QMessageBox(
                qtIcon(request.icon), QString::fromStdString(request.title),
                QString::fromStdString(request.text), QMessageBox::NoButton, parent));
            box->setTextFormat(Qt::PlainText); // names, paths and replies, never markup
            for (const auto& [ours, qt] : kButtons)
                if (request.buttons & ours)
                    box->addButton(qt);
            if (request.buttons & MessageButton::Cancel)
                box->setEscapeButton(QMessageBox::Cancel);
            QObject::connect(&bridge_, &UiBridge::shuttingDown, box.get(), &QMessageBox::reject);
            box->exec();
            giveKeyboardBack(parent);
            const auto clicked =
                box ? box->standardButton(box->clickedButton()) : QMessageBox::NoButton;
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
            const QPointer<QWidget> parent = boxParent(owner_);
            const ScopedBox dialog(new QInputDialog(parent));
            dialog->setWindowTitle(QString::fromStdString(caption));
            dialog->setLabelText(QString::fromStdString(prompt));
            for (auto* label : dialog->findChildren<QLabel*>())
                label->setTextFormat(Qt::PlainText);
            dialog->setTextValue(QString::fromStdString(initial));
            QObject::connect(&bridge_, &UiBridge::shuttingDown, dialog.get(), &QDialog::reject);
            const bool accepted = dialog->exec() == QDialog::Accepted;
            giveKeyboardBack(parent);
            if (!accepted || !dialog)
                return std::nullopt;
            return dialog->textValue().toStdString();
        },
        std::nullopt);
}
