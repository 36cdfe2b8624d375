#pragma once

#include <QHBoxLayout>
#include <QLabel>
#include <QString>
#include <QTextDocument>
#include <QWidget>

#include <type_traits>

// Labels show names, paths, server replies and translated texts: as they are, never as markup,
// which could make the label read any file an image tag names.
inline QLabel* plainLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

// A new child widget known by its object name; a label shows plain text.
template <class Widget> Widget* named(const char* name, QWidget* parent) {
    auto* widget = new Widget(parent);
    if constexpr (std::is_base_of_v<QLabel, Widget>)
        widget->setTextFormat(Qt::PlainText);
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// A tool tip shows as rich text whenever its first line looks like markup: such a text is
// escaped into rich text that shows it as it is.
inline QString plainToolTip(const QString& text) {
    return Qt::mightBeRichText(text) ? Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal) : text;
}

// A horizontal row of controls.
inline QHBoxLayout* rowLayout(QWidget* owner, int margin, int spacing) {
    auto* layout = new QHBoxLayout(owner);
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->setSpacing(spacing);
    return layout;
}
