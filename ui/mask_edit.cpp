#include "mask_edit.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <vector>

namespace tav::ui {

TMaskEdit::TMaskEdit(QWidget* parent) : QLineEdit(parent) {}

namespace {

// Each position of an input mask: its fixed character, or a null QChar where
// the user types.
std::vector<QChar> MaskPositions(const QString& inputMask) {
    const QString mask = inputMask.section(QLatin1Char(';'), 0, 0);
    std::vector<QChar> positions;
    for (qsizetype i = 0; i < mask.size(); ++i) {
        const QChar c = mask[i];
        if (c == QLatin1Char('\\') && i + 1 < mask.size()) {
            positions.push_back(mask[++i]);  // an escaped character stands as it is
        } else if (c == QLatin1Char('>') || c == QLatin1Char('<') || c == QLatin1Char('!')) {
            continue;  // case switches take no position
        } else if (QStringLiteral("AaNnXx90Dd#HhBb").contains(c)) {
            positions.push_back(QChar());
        } else {
            positions.push_back(c);
        }
    }
    return positions;
}

}  // namespace

int TMaskEdit::FirstFreePosition() const {
    const std::vector<QChar> positions = MaskPositions(inputMask());
    for (std::size_t i = 0; i < positions.size(); ++i) {
        if (positions[i].isNull()) {
            return static_cast<int>(i);
        }
    }
    return 0;
}

QChar TMaskEdit::FixedCharAt(int position) const {
    const std::vector<QChar> positions = MaskPositions(inputMask());
    return position >= 0 && static_cast<std::size_t>(position) < positions.size()
               ? positions[static_cast<std::size_t>(position)]
               : QChar();
}

void TMaskEdit::LeaveFixedStart() {
    const int first = FirstFreePosition();
    if (cursorPosition() < first && !hasSelectedText()) {
        setCursorPosition(first);
    }
}

void TMaskEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    // Focus by Tab selects the whole text; the cursor goes where typing
    // starts. Coming back to the window leaves it where it was.
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason) {
        deselect();
        setCursorPosition(FirstFreePosition());
    }
}

void TMaskEdit::mousePressEvent(QMouseEvent* event) {
    QLineEdit::mousePressEvent(event);
    LeaveFixedStart();
}

void TMaskEdit::mouseReleaseEvent(QMouseEvent* event) {
    QLineEdit::mouseReleaseEvent(event);
    LeaveFixedStart();
}

void TMaskEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Home && event->modifiers() == Qt::NoModifier) {
        setCursorPosition(FirstFreePosition());
        event->accept();
        return;
    }
    // A separator typed where one stands moves past it; one typed just after
    // it (where the edit put the cursor after the field before) is taken as
    // that same move.
    const QString typed = event->text();
    const int at = cursorPosition();
    if (typed.size() == 1 && !hasSelectedText() && !FixedCharAt(at - 1).isNull() &&
        FixedCharAt(at - 1) == typed[0] && FixedCharAt(at).isNull() && at > FirstFreePosition()) {
        event->accept();
        return;
    }
    if (typed.size() == 1 && !hasSelectedText() && FixedCharAt(at) == typed[0]) {
        setCursorPosition(at + 1);
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
    LeaveFixedStart();
}

}  // namespace tav::ui
