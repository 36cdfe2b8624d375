// The window's periphery: the refresh when the program is switched back to, the language dialog
// and the About box.
#include "main/about_box.h"
#include "main/language_dialog.h"
#include "main/main_window.h"
#include "main/panel_pair.h"
#include "main/product_info.h"

#include <tuple>

void TForm1::ApplicationEvents1Activate() {
    if (!panels_->idle())
        return;
    update();
    // The first activation is the start's own; later ones bring in what other programs changed
    // meanwhile.
    if (activatedBefore_)
        // Refused only while a job runs, whose end re-reads its panels anyway.
        std::ignore = engine_->remoteCommands().post(cmd::RefreshPanels{});
    activatedBefore_ = true;
}

void TForm1::Jzyk1Click() {
    auto* dialog = new TOKRightDlg12(
        {language_, messages(), [this] { FormCreate(); },
         [this](const std::string& file) { tools_->editText(QString::fromStdString(file)); },
         tools_->textEditorAvailable()},
        this);
    windowSwitchKey_->holdWhileOpen(dialog);
    dialog->show();
}

void TForm1::About1Click() {
    auto* box = new TOKRightDlg123([this] { desktop_.open(product::kHomePage); }, this);
    box->show();
}
