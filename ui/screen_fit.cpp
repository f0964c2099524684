#include "screen_fit.h"

#include <QScrollArea>
#include <QVBoxLayout>
#include <QWidget>
#include <algorithm>

namespace tav::ui {

QWidget* MakeScrollingForm(QWidget* form, QSize natural, int stripTop) {
    auto* strip = new QWidget;
    strip->setObjectName(QStringLiteral("DeviceStrip"));
    strip->setProperty("formTop", stripTop);
    strip->setFixedSize(natural.width(), natural.height() - stripTop);
    for (QWidget* child : form->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->y() >= stripTop) {
            const QRect g = child->geometry();
            const bool shown = !child->isHidden();
            child->setParent(strip);
            child->setGeometry(g.translated(0, -stripTop));
            child->setVisible(shown);
        }
    }
    form->setFixedSize(natural.width(), stripTop);

    auto* scroll = new QScrollArea;
    scroll->setObjectName(QStringLiteral("FormScrollArea"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    scroll->setWidget(form);

    auto* whole = new QWidget;
    auto* column = new QVBoxLayout(whole);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(scroll, 1);
    column->addWidget(strip, 0, Qt::AlignHCenter);
    return whole;
}

QRect ClientGeometryOnScreen(QSize wanted, QPoint preferred, QRect available, QSize frameExtra) {
    const QSize room = available.size() - frameExtra;
    const QSize size = wanted.boundedTo(room).expandedTo(QSize(1, 1));
    // The frame's top-left corner; `preferred` is where the frame would start.
    const int left = std::clamp(
        preferred.x(), available.left(),
        std::max(available.left(), available.right() + 1 - size.width() - frameExtra.width()));
    const int top = std::clamp(
        preferred.y(), available.top(),
        std::max(available.top(), available.bottom() + 1 - size.height() - frameExtra.height()));
    return {QPoint(left, top), size};
}

}  // namespace tav::ui
