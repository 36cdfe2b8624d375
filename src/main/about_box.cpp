#include "main/about_box.h"

#include "main/app_icon.h"
#include "main/product_info.h"
#include "main/widget_helpers.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLabel* line(const QString& text, QWidget* parent, bool bold = false) {
    auto* label = plainLabel(text, parent);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    if (bold) {
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
    }
    return label;
}

} // namespace

TOKRightDlg123::TOKRightDlg123(std::function<void()> openHomePage, QWidget* parent)
    : QDialog(parent) {
    setObjectName("OKRightDlg123");
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowTitle(QStringLiteral("About Tarvo Manager v%1").arg(product::kVersion));

    auto* layout = new QVBoxLayout(this);
    auto* logo = plainLabel(QString(), this);
    logo->setPixmap(appIcon().pixmap(64, 64));
    logo->setAlignment(Qt::AlignCenter);
    logo->setAccessibleName(QStringLiteral("Tarvo Manager"));
    layout->addWidget(logo);
    layout->addWidget(line(QStringLiteral("Team"), this, true));
    auto* team = new QHBoxLayout;
    for (const product::TeamMember& member : product::kTeam) {
        QLabel* name = line(QString::fromUtf8(member.name), this);
        name->setToolTip(QString::fromUtf8(member.role));
        team->addWidget(name);
    }
    layout->addLayout(team);
    layout->addWidget(line(QStringLiteral("email: ") + product::kSupportAddress, this));
    for (const char* credit : product::kCredits)
        layout->addWidget(line(QString::fromUtf8(credit), this));
    layout->addWidget(line(QStringLiteral("See License for details"), this));
    layout->addWidget(line(QStringLiteral("Tarvo Manager web site:"), this));
    // The address as a flat button: plain text like every other caption, reached by Tab and
    // pressed by Space as well as by a click.
    auto* link = new QPushButton(QString::fromUtf8(product::kHomePage), this);
    link->setObjectName("Label8");
    link->setFlat(true);
    link->setCursor(Qt::PointingHandCursor);
    link->setAccessibleName(QStringLiteral("Tarvo Manager web site"));
    connect(link, &QPushButton::clicked, this, [openHomePage] { openHomePage(); });
    layout->addWidget(link, 0, Qt::AlignHCenter);
    layout->addWidget(line(QStringLiteral("%1, %2").arg(product::kMaker, product::kYear), this));

    auto* bevel = new QFrame(this);
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFrameShadow(QFrame::Sunken);
    layout->addWidget(bevel);
    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName("SpeedButton1");
    ok->setFlat(true);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::close);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
    resize(312, 320);
}

void TOKRightDlg123::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
        event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TOKRightDlg123::paintEvent(QPaintEvent* event) {
    // The background: a soft gradient of the window's own colours.
    QPainter painter(this);
    QLinearGradient shade(0, 0, 0, height());
    shade.setColorAt(0, palette().color(QPalette::Light));
    shade.setColorAt(1, palette().color(QPalette::Window));
    painter.fillRect(rect(), shade);
    QDialog::paintEvent(event);
}
