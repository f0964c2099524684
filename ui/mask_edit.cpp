#include "mask_edit.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMenu>
#include <vector>

#include "image/typed_values.h"

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

namespace {

// The field's twelve characters, blanks as spaces.
ClockDigits DigitsShown(const QLineEdit& edit) {
    const QByteArray shown =
        edit.displayText().replace(QLatin1Char('_'), QLatin1Char(' ')).toLatin1();
    return ClockDigitsOf(
        std::string_view(shown.constData(), static_cast<std::size_t>(shown.size())));
}

QString FieldText(const ClockDigits& digits) {
    return QString::fromLatin1(PatternOf(digits));
}

// Where the cursor goes after the part of a date typed so far.
constexpr int kPositionOf[12] = {2, 3, 5, 6, 8, 9, 11, 12, 14, 15, 17, 18};

}  // namespace

bool TMaskEdit::TakeWholeDate(const QString& text) {
    const auto digits = ReadWholeClockText(text.toLatin1().toStdString());
    if (!digits || text.contains(QChar(0xFFFD))) {
        return false;
    }
    EndEntry();
    setText(FieldText(*digits));
    setCursorPosition(FirstFreePosition());
    return true;
}

bool TMaskEdit::ContinueEntry(QChar typed) {
    const QString next = typed_ + typed;
    if (typed.unicode() > 0x7F || !ReadPartialClockText(next.toLatin1().toStdString())) {
        return false;
    }
    typed_ = next;
    ShowEntry();
    return true;
}

void TMaskEdit::ShowEntry() {
    const auto partial = ReadPartialClockText(typed_.toLatin1().toStdString());
    ClockDigits shown;
    const QByteArray before = before_.toLatin1();
    int last = -1;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const char c = partial ? (*partial)[i] : ' ';
        shown[i] = c != ' ' ? c : before[static_cast<qsizetype>(i)];
        if (c != ' ') {
            last = static_cast<int>(i);
        }
    }
    setText(FieldText(shown));
    setCursorPosition(last < 0 ? FirstFreePosition() : last == 11 ? 19 : kPositionOf[last + 1]);
    entryText_ = text();
    entryCursor_ = cursorPosition();
}

void TMaskEdit::EndEntry() {
    if (!entering_) {
        return;
    }
    entering_ = false;
    // A whole date typed without its seconds gets 00.
    if (const auto whole = ReadWholeClockText(typed_.toLatin1().toStdString())) {
        const int cursor = cursorPosition();
        setText(FieldText(*whole));
        setCursorPosition(cursor);
    }
    typed_.clear();
}

void TMaskEdit::focusOutEvent(QFocusEvent* event) {
    EndEntry();
    QLineEdit::focusOutEvent(event);
}

void TMaskEdit::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createStandardContextMenu();
    // Pasting goes through the date reader, as Ctrl+V does.
    if (auto* paste = menu->findChild<QAction*>(QStringLiteral("edit-paste"))) {
        paste->disconnect();
        connect(paste, &QAction::triggered, this,
                [this] { TakeWholeDate(QApplication::clipboard()->text()); });
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
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
    EndEntry();
    QLineEdit::mousePressEvent(event);
    LeaveFixedStart();
}

void TMaskEdit::mouseReleaseEvent(QMouseEvent* event) {
    QLineEdit::mouseReleaseEvent(event);
    LeaveFixedStart();
}

void TMaskEdit::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Paste)) {
        TakeWholeDate(QApplication::clipboard()->text());
        event->accept();
        return;
    }
    const QString typed = event->text();
    const bool printable =
        typed.size() == 1 && typed[0].isPrint() &&
        (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) == 0;
    if (entering_ && (text() != entryText_ || cursorPosition() != entryCursor_)) {
        entering_ = false;  // moved or changed meanwhile: a new start
        typed_.clear();
    }
    if (entering_ && event->key() == Qt::Key_Backspace) {
        typed_.chop(1);
        entering_ = !typed_.isEmpty();
        ShowEntry();
        event->accept();
        return;
    }
    if (entering_ && printable) {
        ContinueEntry(typed[0]);
        event->accept();
        return;
    }
    EndEntry();
    if (event->key() == Qt::Key_Home && event->modifiers() == Qt::NoModifier) {
        setCursorPosition(FirstFreePosition());
        event->accept();
        return;
    }
    const int at = cursorPosition();
    const bool wholeSelected = hasSelectedText() && selectionStart() <= FirstFreePosition() &&
                               selectionStart() + selectedText().size() >= text().size();
    // A date typed from the year's front, or over the whole field.
    if (printable && (wholeSelected || (!hasSelectedText() && at == FirstFreePosition()))) {
        const ClockDigits shown = DigitsShown(*this);
        before_ = QString::fromLatin1(shown.data(), static_cast<qsizetype>(shown.size()));
        if (wholeSelected) {
            before_.fill(QLatin1Char(' '));
        }
        typed_.clear();
        entering_ = ContinueEntry(typed[0]);
        event->accept();
        return;
    }
    // A separator typed where one stands moves past it; one typed just after
    // it (where the edit put the cursor after the field before) is taken as
    // that same move.
    if (printable && !hasSelectedText() && !FixedCharAt(at - 1).isNull() &&
        FixedCharAt(at - 1) == typed[0] && FixedCharAt(at).isNull() && at > FirstFreePosition()) {
        event->accept();
        return;
    }
    if (printable && !hasSelectedText() && FixedCharAt(at) == typed[0]) {
        setCursorPosition(at + 1);
        event->accept();
        return;
    }
    // Only digits and "*" go into the pattern.
    const char16_t c = typed.isEmpty() ? 0 : typed[0].unicode();
    if (printable && !(c >= u'0' && c <= u'9') && c != u'*') {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
    LeaveFixedStart();
}

}  // namespace tav::ui
