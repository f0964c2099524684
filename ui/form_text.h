// Small text helpers the window's files share.
#pragma once

#include <QLabel>
#include <QString>
#include <string_view>

namespace tav::ui {

// UTF-8 texts of the core (messages, relay mode names) as the window shows them.
inline QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A label keeps the size of its text, as the form's labels do.
inline void SetCaption(QLabel* label, const QString& text) {
    label->setText(text);
    label->adjustSize();
}

}  // namespace tav::ui
