// A masked edit whose leading fixed characters are never where the cursor
// rests: a click, Home, focus or a move to the left puts the cursor on the
// first position the user may type in. Qt's own masked edit would take a
// typed character that matches the fixed one there as typing over it, and
// every character after would land one field to the right. A separator typed
// where one stands moves past it (a position that takes any character would
// otherwise take it as the next field's first).
#pragma once

#include <QLineEdit>

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

  protected:
    void focusInEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    // Moves the cursor off the leading fixed characters.
    void LeaveFixedStart();
};

}  // namespace tav::ui
