// A masked edit whose leading fixed characters are never where the cursor
// rests: a click, Home, focus or a move to the left puts the cursor on the
// first position the user may type in. Qt's own masked edit would take a
// typed character that matches the fixed one there as typing over it, and
// every character after would land one field to the right. A separator typed
// where one stands moves past it (a position that takes any character would
// otherwise take it as the next field's first).
//
// The edit holds a clock-event pattern "20YY-MM-DD hh:mm:ss": only digits
// and "*" go into it. A date typed from the year's front, or over the whole
// selected text, is read as people write dates: "2026-05-01 06:45",
// "01.05.2026 06:45" or digits alone (image/typed_values.h), with the year's
// typed "20" taken as the fixed one; a whole date pasted is read the same.
#pragma once

#include <QLineEdit>
#include <QString>

namespace tav::ui {

class TMaskEdit : public QLineEdit {
    Q_OBJECT

  public:
    explicit TMaskEdit(QWidget* parent = nullptr);

    // The first position that is not a fixed character of the mask; 0
    // without a mask.
    int FirstFreePosition() const;
    // The fixed character of the mask at `position`, or a null QChar where
    // the user types.
    QChar FixedCharAt(int position) const;

    // Puts a whole date and time, as typed or pasted, into the field; false
    // (and nothing changed) when the text is no date.
    bool TakeWholeDate(const QString& text);

  protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;  // ends a date being typed
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    // Moves the cursor off the leading fixed characters.
    void LeaveFixedStart();
    // A date typed from the year's front: what was typed so far and the
    // twelve characters the field held before (blanks over a selection).
    bool ContinueEntry(QChar typed);
    void ShowEntry();
    void EndEntry();

    bool entering_ = false;
    QString typed_;
    QString before_;
    // The text and cursor the entry left: anything else (a click, the
    // program's own change) means the entry is over.
    QString entryText_;
    int entryCursor_ = 0;
};

}  // namespace tav::ui
