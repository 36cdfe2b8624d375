#include "main/zip_view_dialog.h"

#include "main/widget_helpers.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int kRowHeight = 18;
constexpr int kBarWidth = 193;
constexpr int kTextInset = 2;
constexpr int kIconSize = 16;
const QColor kText(0, 0, 0);
const QColor kMarked(255, 0, 0);
const QColor kCurrent(204, 228, 247);
const QColor kLabels(0, 0, 255);

// Draws a row: its text, red when marked, and its icon just before the text's first letter.
class ZipViewDelegate : public QStyledItemDelegate {
public:
    ZipViewDelegate(const ZipViewModel& model, std::function<QIcon(const QString&)> icon,
                    QObject* parent)
        : QStyledItemDelegate(parent), model_(model), icon_(std::move(icon)) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const QRect cell = option.rect;
        const QString text = index.data().toString();
        painter->save();
        painter->fillRect(cell, index.row() == model_.currentRow() ? kCurrent : Qt::white);
        QFont font = option.font;
        font.setBold(true);
        painter->setFont(font);
        const int blanks = static_cast<int>(text.size() - QStringView(text).trimmed().size());
        const int textX = cell.left() + kTextInset;
        const int iconX = textX + painter->fontMetrics().horizontalAdvance(text.left(blanks)) -
                          kIconSize - kTextInset;
        if (iconX >= cell.left() && icon_)
            icon_(text).paint(painter, QRect(iconX, cell.top() + (cell.height() - kIconSize) / 2,
                                             kIconSize, kIconSize));
        painter->setPen(model_.isMarked(index.row()) ? kMarked : kText);
        painter->drawText(QRect(textX, cell.top(), cell.right() - textX, cell.height()),
                          Qt::AlignLeft | Qt::AlignVCenter, text);
        painter->restore();
    }

private:
    const ZipViewModel& model_;
    std::function<QIcon(const QString&)> icon_;
};

QLabel* blueLabel(QWidget* parent) {
    auto* label = plainLabel(QString(), parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, kLabels);
    label->setPalette(palette);
    return label;
}

} // namespace

TOKRightDlg1234::TOKRightDlg1234(QWidget* owner, std::string archivePath,
                                 ZipViewEnvironment environment)
    : QDialog(owner), archivePath_(std::move(archivePath)), environment_(std::move(environment)) {
    setObjectName("OKRightDlg1234");
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    buildWidgets();
    auto pending = std::make_shared<ZipViewListing>();
    pending->Rows.push_back(archivePath_);
    model_.setListing(pending);
    lister_ = std::jthread([this](std::stop_token stop) {
        auto listing = std::make_shared<const ZipViewListing>(listZipArchive(archivePath_, stop));
        if (stop.stop_requested())
            return;
        {
            std::lock_guard lock(finishedMutex_);
            finished_ = std::move(listing);
        }
        // By name, so the queued call carries nothing across threads: the mutex hands it over.
        QMetaObject::invokeMethod(this, "showFinishedListing", Qt::QueuedConnection);
    });
}

TOKRightDlg1234::~TOKRightDlg1234() {
    // Stopped and joined here: once this returns no listing can arrive for a deleted window.
    lister_.request_stop();
    if (lister_.joinable())
        lister_.join();
}

void TOKRightDlg1234::buildWidgets() {
    const auto text = [this](const char* key) {
        return QString::fromStdString(environment_.translate(key));
    };
    setWindowTitle(text("ZipArchive"));
    resize(350, 355);
    auto* top = new QWidget(this);
    top->setObjectName("Panel1");
    auto* bar = new QHBoxLayout(top);
    bar->setContentsMargins(4, 2, 4, 2);
    Label1 = blueLabel(top);
    Label1->setObjectName("Label1");
    SpeedButton1 = new QToolButton(top);
    SpeedButton1->setObjectName("SpeedButton1");
    SpeedButton1->setText(text("Unpack"));
    SpeedButton1->setAccessibleName(SpeedButton1->text());
    SpeedButton1->setAutoRaise(true);
    SpeedButton1->setMinimumWidth(80);
    Label2 = blueLabel(top);
    Label2->setObjectName("Label2");
    Image3 = new QProgressBar(top);
    Image3->setObjectName("Image3");
    Image3->setRange(0, kBarWidth);
    Image3->setValue(0);
    Image3->setTextVisible(false);
    Image3->setFixedWidth(kBarWidth);
    bar->addWidget(Label1);
    bar->addWidget(SpeedButton1);
    bar->addWidget(Label2);
    bar->addStretch(1);
    bar->addWidget(Image3);

    StringGrid1 = new QTableView(this);
    StringGrid1->setObjectName("StringGrid1");
    StringGrid1->setAccessibleName(text("ZipArchive"));
    StringGrid1->setModel(&model_);
    connect(StringGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid())
                    model_.setCurrentRow(current.row());
            });
    StringGrid1->setItemDelegate(new ZipViewDelegate(model_, environment_.icon, StringGrid1));
    StringGrid1->horizontalHeader()->hide();
    StringGrid1->horizontalHeader()->setStretchLastSection(true);
    StringGrid1->verticalHeader()->hide();
    StringGrid1->verticalHeader()->setDefaultSectionSize(kRowHeight);
    StringGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    StringGrid1->setShowGrid(false);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->viewport()->installEventFilter(this);
    SpeedButton1->installEventFilter(this);
    StringGrid1->viewport()->setMouseTracking(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(top);
    layout->addWidget(StringGrid1, 1);

    connect(SpeedButton1, &QToolButton::clicked, this, &TOKRightDlg1234::unpackRequested);
}

void TOKRightDlg1234::showFinishedListing() {
    std::shared_ptr<const ZipViewListing> listing;
    {
        std::lock_guard lock(finishedMutex_);
        listing = std::move(finished_);
    }
    const auto text = [this](const char* key) { return environment_.translate(key); };
    model_.setListing(listing);
    listedArchive_ = listing->Stamp;
    setWindowTitle(QString::fromStdString(zipViewCaption(*listing, text("ZipArchive"))));
    Label1->setText(QString::fromStdString(zipViewCountText(*listing, text("Files"))));
    Label2->setText(QString::fromStdString(zipViewRatioText(*listing, text("CommpresionLevel"))));
    Image3->setAccessibleName(Label2->text());
    Image3->setValue(
        static_cast<int>(std::min(1.0, zipViewRatio(*listing)) * static_cast<double>(kBarWidth)));
    listed_ = true;
    emit listed();
}

void TOKRightDlg1234::clearEntryMark(int index) {
    model_.clearEntryMark(index);
    StringGrid1->viewport()->update();
}

void TOKRightDlg1234::makeCurrent(int row) {
    model_.setCurrentRow(row);
    StringGrid1->setCurrentIndex(model_.index(row));
    StringGrid1->viewport()->update();
}

void TOKRightDlg1234::sweepTo(int row) {
    if (sweep_.moveTo(row, model_.rowCount(), [this](int toggled) { model_.toggleMark(toggled); }))
        makeCurrent(row);
    StringGrid1->viewport()->update();
}

bool TOKRightDlg1234::eventFilter(QObject* watched, QEvent* event) {
    // A tool button takes only Space; Enter on the focused Unpack presses it too, as on any
    // focused button of a dialog.
    if (watched == SpeedButton1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            SpeedButton1->click();
            return true;
        }
    }
    if (watched != StringGrid1->viewport())
        return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const int row = StringGrid1->rowAt(static_cast<int>(mouse->position().y()));
        if (mouse->button() == Qt::LeftButton) {
            if (row < 0 || !(mouse->modifiers() & Qt::ShiftModifier))
                return false; // the view makes the row current
            if (row != model_.currentRow())
                model_.toggleRange(model_.currentRow(), row);
            makeCurrent(row);
            return true;
        }
        if (mouse->button() == Qt::RightButton || mouse->button() == Qt::MiddleButton) {
            sweep_.begin(row);
            if (row >= 0)
                sweepTo(row);
            return true;
        }
        return false;
    }
    case QEvent::MouseMove: {
        if (!sweep_.active())
            return false;
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const int row = StringGrid1->rowAt(static_cast<int>(mouse->position().y()));
        if (row >= 0)
            sweepTo(row);
        return true;
    }
    case QEvent::MouseButtonRelease:
        if (!sweep_.active())
            return false;
        sweep_.end();
        StringGrid1->viewport()->update();
        return true;
    case QEvent::Leave:
        sweep_.end();
        return false;
    default:
        return false;
    }
}
