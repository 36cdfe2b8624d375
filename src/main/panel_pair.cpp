#include "main/panel_pair.h"

#include "app/engine.h"
#include "main/panel_controller.h"
#include "main/waiting_panel_clicks.h"
#include "main/window_switch_key.h"
#include "settings/language_table.h"

#include <QApplication>
#include <QLabel>

namespace listing = tarvo::listing;

namespace {

constexpr int kDirectory = 0x10;
constexpr int kArchive = 0x20;

// A mouse button pressed on a panel's path row activates that panel.
class ActivateOnPress : public QObject {
public:
    ActivateOnPress(std::function<void()> activate, QObject* parent)
        : QObject(parent), activate_(std::move(activate)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonPress)
            activate_();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> activate_;
};

} // namespace

PanelPair::PanelPair(const PanelWidgets& left, const PanelWidgets& right, Engine& engine,
                     PanelIcons& icons, const LanguageTable& language,
                     const WindowSwitchKey& switchKey, std::function<void()> pressedWhileWaiting)
    : language_(language) {
    const auto standardIcons = [this] { return standardIcons_; };
    left_ = std::make_unique<PanelController>(PanelSide::Left, left, engine.leftExplorer(), icons,
                                              standardIcons);
    right_ = std::make_unique<PanelController>(PanelSide::Right, right, engine.rightExplorer(),
                                               icons, standardIcons);
    for (PanelController* source : {left_.get(), right_.get()}) {
        const PanelSide side = source->side();
        connect(source, &PanelController::activationRequested, this,
                [this, side] { activate(side); });
        connect(source, &PanelController::switchPanelRequested, this,
                &PanelPair::Aktywneokno1Click);
        connect(source, &PanelController::currentEntryChanged, this,
                [this, source] { entrySelected(*source); });
        connect(source, &PanelController::selectionChanged, this, &PanelPair::ShowSelectionInfo);
        source->setSwitchKey([&switchKey](const QKeyEvent& key) { return switchKey.matches(key); });
    }
    new WaitingPanelClicks({left.container, right.container}, std::move(pressedWhileWaiting));
    for (PanelController* source : {left_.get(), right_.get()}) {
        auto* filter = new ActivateOnPress([this, side = source->side()] { activate(side); }, this);
        source->widgets().pathRow->installEventFilter(filter);   // Shape1, Shape2
        source->widgets().pathLabel->installEventFilter(filter); // Label1, Label11
    }
}

PanelPair::~PanelPair() = default;

PanelController& PanelPair::panel(PanelSide side) {
    return side == PanelSide::Left ? *left_ : *right_;
}

const PanelController& PanelPair::panel(PanelSide side) const {
    return side == PanelSide::Left ? *left_ : *right_;
}

void PanelPair::activate(PanelSide side) {
    activeSide_ = side;
    PanelController& shown = panel(side);
    panel(otherSide(side)).setActive(false);
    shown.setActive(true);
    if (shown.widgets().container->isEnabled())
        shown.grid().setFocus();
    selected_.row = shown.model().currentRow();
    shown.selectRow(selected_.row);
    emit activated();
}

void PanelPair::Aktywneokno1Click() {
    activate(otherSide(activeSide_));
}

void PanelPair::entrySelected(PanelController& source) {
    const PanelModel& model = source.model();
    const int row = model.currentRow();
    selected_.row = row;
    selected_.name = model.nameCell(row);
    const listing::SearchRecord* record = model.recordAt(row);
    switch (model.kindOf(row)) {
    case PanelModel::RowKind::Up:
        selected_.attributes = kDirectory;
        break;
    case PanelModel::RowKind::Folder:
        selected_.attributes = record ? record->Attr : kArchive;
        break;
    case PanelModel::RowKind::File:
        selected_.attributes = record ? record->Attr : kArchive;
        if (record)
            selected_.size = record->Size;
        break;
    }
    if (record != nullptr && model.remote())
        selected_.mode = record->Mode;
}

bool PanelPair::idle() const {
    return left_->widgets().container->isEnabled() && right_->widgets().container->isEnabled();
}

void PanelPair::setEnabled(bool enabled) {
    left_->widgets().container->setEnabled(enabled);
    right_->widgets().container->setEnabled(enabled);
}

void PanelPair::setEnabledKeepingFocus(bool enabled) {
    QWidget* focused = QApplication::focusWidget();
    const bool gridHadFocus = !enabled && idle() &&
                              (left_->widgets().container->isAncestorOf(focused) ||
                               right_->widgets().container->isAncestorOf(focused));
    setEnabled(enabled);
    if (gridHadFocus) {
        gridFocusLent_ = true;
        gridFocusLentTo_ = QApplication::focusWidget();
    } else if (enabled && std::exchange(gridFocusLent_, false) &&
               gridFocusLentTo_ == QApplication::focusWidget()) {
        focusActiveGrid();
    }
}

void PanelPair::focusActiveGrid() {
    active().grid().setFocus();
}

void PanelPair::ShowSelectionInfo() {
    showSelectionLine(active());
}

void PanelPair::showSelectionLine(PanelController& shown) {
    const PanelModel::Selection selection = shown.model().selection();
    const std::string text =
        language_.translate("Files") + " " + std::to_string(selection.files) + " | " +
        language_.translate("Dirs") + " " + std::to_string(selection.folders) + " | " +
        language_.translate("Size") + " " + std::to_string(selection.bytes / 1024) + "KB";
    shown.widgets().selectionLabel->setText(QString::fromStdString(text));
}

void PanelPair::clearRowMark(PanelSide side, int row, const std::string& name) {
    PanelModel& model = panel(side).model();
    const listing::SearchRecord* record = model.recordAt(row);
    if (record == nullptr || record->Name != name)
        return; // the panel was read again meanwhile: this row is another entry
    model.setMarked(row, false);
    RefreshRowIfVisible(row);
}

void PanelPair::RefreshRowIfVisible(int row) {
    for (PanelController* grid : {right_.get(), left_.get()}) {
        const int top = grid->grid().rowAt(0);
        if (top <= row && row <= top + grid->grid().visibleRowCount())
            grid->repaint();
    }
    ShowSelectionInfo();
}

void PanelPair::setStandardIcons(bool standard) {
    standardIcons_ = standard;
    right_->repaint();
    left_->repaint();
}
