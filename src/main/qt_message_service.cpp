#include "main/qt_message_service.h"

#include "platform/ui_bridge.h"

#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

#include <array>
#include <functional>
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
class ScopedBox {
public:
    explicit ScopedBox(QDialog* box) : box_(box) {}
    ~ScopedBox() { delete box_.data(); }
    ScopedBox(const ScopedBox&) = delete;
    ScopedBox& operator=(const ScopedBox&) = delete;
    QDialog* get() const { return box_.data(); }

private:
    QPointer<QDialog> box_;
};

// Makes a dialog for its parent; reads the answer from it once closed (null when its parent
// took it along while it was open).
using MakeDialog = std::function<QDialog*(QWidget* parent)>;
template <class T> using ReadAnswer = std::function<T(QDialog* dialog, int result)>;

// Asks with a dialog over the window the user works in. A worker's question opens the dialog
// and is answered from its finished signal, so that no nested event loop runs other posted
// tasks inside this one; a question of the GUI thread itself needs its answer at once and runs
// the dialog to its end. Shutting the bridge down rejects an open dialog.
template <class T>
T askWith(UiBridge& bridge, QWidget* owner, MakeDialog make, ReadAnswer<T> read, T cancel) {
    if (bridge.isGuiThread())
        return bridge.ask<T>(
            [&] {
                const QPointer<QWidget> parent = boxParent(owner);
                const ScopedBox dialog(make(parent));
                QObject::connect(&bridge, &UiBridge::shuttingDown, dialog.get(), &QDialog::reject);
                const int result = dialog.get()->exec();
                giveKeyboardBack(parent);
                return read(dialog.get(), result);
            },
            cancel);
    return bridge.askLater<T>(
        [&bridge, owner, make, read](const std::function<void(T)>& reply) {
            const QPointer<QWidget> parent = boxParent(owner);
            QDialog* dialog = make(parent);
            QObject::connect(&bridge, &UiBridge::shuttingDown, dialog, &QDialog::reject);
            QObject::connect(dialog, &QDialog::finished, dialog,
                             [dialog, parent, read, reply](int result) {
                                 giveKeyboardBack(parent);
                                 reply(read(dialog, result));
                                 dialog->deleteLater();
                             });
            // Only the first reply counts: this one answers for a dialog its parent took along.
            QObject::connect(dialog, &QObject::destroyed,
                             [read, reply] { reply(read(nullptr, QDialog::Rejected)); });
            // As modal as a dialog that runs to its end (open() would make it modal to its parent
            // only): the user answers before going on.
            dialog->setWindowModality(Qt::ApplicationModal);
            dialog->show();
        },
        cancel);
}

} // namespace

MessageButton QtMessageService::show(const MessageRequest& request) {
    const MakeDialog make = [request](QWidget* parent) {
        auto* box =
            new QMessageBox(qtIcon(request.icon), QString::fromStdString(request.title),
                            QString::fromStdString(request.text), QMessageBox::NoButton, parent);
        box->setTextFormat(Qt::PlainText); // names, paths and replies, never markup
        for (const auto& [ours, qt] : kButtons)
            if (request.buttons & ours)
                box->addButton(qt);
        if (request.buttons & MessageButton::Cancel)
            box->setEscapeButton(QMessageBox::Cancel);
        return box;
    };
    const ReadAnswer<MessageButton> read = [buttons = request.buttons](QDialog* dialog, int) {
        auto* box = qobject_cast<QMessageBox*>(dialog);
        const auto clicked =
            box ? box->standardButton(box->clickedButton()) : QMessageBox::NoButton;
        for (const auto& [ours, qt] : kButtons)
            if (clicked == qt)
                return ours;
        return closeAnswer(buttons);
    };
    return askWith(bridge_, owner_, make, read, MessageButton::Cancel);
}

std::optional<std::string> QtMessageService::askText(const std::string& caption,
                                                     const std::string& prompt,
                                                     const std::string& initial) {
    const MakeDialog make = [caption, prompt, initial](QWidget* parent) {
        auto* dialog = new QInputDialog(parent);
        dialog->setWindowTitle(QString::fromStdString(caption));
        dialog->setLabelText(QString::fromStdString(prompt));
        for (auto* label : dialog->findChildren<QLabel*>())
            label->setTextFormat(Qt::PlainText);
        dialog->setTextValue(QString::fromStdString(initial));
        return dialog;
    };
    using Answer = std::optional<std::string>;
    const ReadAnswer<Answer> read = [](QDialog* dialog, int result) -> Answer {
        auto* input = qobject_cast<QInputDialog*>(dialog);
        if (result != QDialog::Accepted || !input)
            return std::nullopt;
        return input->textValue().toStdString();
    };
    return askWith<Answer>(bridge_, owner_, make, read, std::nullopt);
}
