#include "main/log_file.h"

#include "platform/atomic_file.h"
#include "platform/message_service.h"

#include <QPlainTextEdit>
#include <QTextBlock>

bool saveLogFile(const QPlainTextEdit& log, const QString& file, MessageService& messages,
                 const std::string& refusal) {
    std::string lines;
    for (QTextBlock block = log.document()->begin(); block.isValid(); block = block.next())
        lines += block.text().toStdString() + "\r\n";
    if (const std::string reason = replaceFileContent(file.toStdString(), lines); !reason.empty()) {
        messages.show({"Tarvo Manager", refusal + "\n\n" + file.toStdString() + "\n" + reason,
                       MessageButton::Ok, MessageIcon::Information});
        return false;
    }
    return true;
}
