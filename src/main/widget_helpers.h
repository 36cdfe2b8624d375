#pragma once

#include <QHBoxLayout>
#include <QString>
#include <QWidget>

// A new child widget known by its object name.
template <class Widget> Widget* named(const char* name, QWidget* parent) {
    auto* widget = new Widget(parent);
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// A horizontal row of controls.
inline QHBoxLayout* rowLayout(QWidget* owner, int margin, int spacing) {
    auto* layout = new QHBoxLayout(owner);
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->setSpacing(spacing);
    return layout;
}
