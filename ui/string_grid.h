// A grid of text cells addressed as (column, row), with fixed (header) rows and
// columns that are ordinary cells of the grid, drawn like buttons and never
// selected or edited. Every cell holds its item from the start, so writing a
// cell never allocates.
//
// The geometry is exact: a one-pixel frame, one-pixel lines between cells and
// none after the last column or row, so a grid sized for its cells shows them
// all and never scrolls.
#pragma once

#include <QPoint>
#include <QSize>
#include <QString>
#include <QTableWidget>
#include <functional>
#include <vector>

namespace tav::ui {

class TStringGrid : public QTableWidget {
    Q_OBJECT
    Q_PROPERTY(int cols READ cols WRITE setCols)
    Q_PROPERTY(int rows READ rows WRITE setRows)
    Q_PROPERTY(int fixedCols READ fixedCols WRITE setFixedCols)
    Q_PROPERTY(int fixedRows READ fixedRows WRITE setFixedRows)
    Q_PROPERTY(int defaultColWidth READ defaultColWidth WRITE setDefaultColWidth)
    Q_PROPERTY(int defaultRowHeight READ defaultRowHeight WRITE setDefaultRowHeight)
    Q_PROPERTY(bool cellsEditable READ cellsEditable WRITE setCellsEditable)

  public:
    explicit TStringGrid(QWidget* parent = nullptr);

    int cols() const { return columnCount(); }
    void setCols(int n);
    int rows() const { return rowCount(); }
    void setRows(int n);
    int fixedCols() const { return fixedCols_; }
    void setFixedCols(int n);
    int fixedRows() const { return fixedRows_; }
    void setFixedRows(int n);
    // Widths and heights without the one-pixel grid line between cells.
    int defaultColWidth() const { return defaultColWidth_; }
    void setDefaultColWidth(int w);
    int defaultRowHeight() const { return defaultRowHeight_; }
    void setDefaultRowHeight(int h);
    bool cellsEditable() const { return cellsEditable_; }
    void setCellsEditable(bool on);

    void SetColWidth(int col, int width);
    int ColWidth(int col) const;

    QString Cell(int col, int row) const;
    // Writes a cell; emits nothing the window listens to.
    void SetCell(int col, int row, const QString& text);
    // Marks a body cell whose text cannot be taken, saying why in its
    // tooltip (and to a screen reader); an empty `problem` clears the mark.
    void MarkCell(int col, int row, const QString& problem);
    QString CellProblem(int col, int row) const;
    // What a screen reader says of a cell, asked when it asks; without one
    // it reads the cell's text.
    void SetCellDescriber(std::function<QString(int col, int row)> describe);
    QString CellDescription(int col, int row) const;

    // The cell under a point of the viewport; false when the point lies on none.
    bool MouseToCell(QPoint viewportPos, int* col, int* row) const;
    // Centre of a cell in viewport coordinates.
    QPoint CellCentre(int col, int row) const;
    // Width and height the cells take together, lines between them included.
    QSize CellsExtent() const;

    // Ends an in-place edit in progress: the typed text goes into its cell.
    void CommitEdit();

  signals:
    // A press of any mouse button on the cells' area, before the grid moves
    // its current cell. An edit in progress is already committed.
    void MouseDown(Qt::MouseButton button, QPoint viewportPos);
    // The user moved the current cell with the keyboard (also with Tab from
    // an open editor). The text typed in the cell left is already committed.
    void KeyMove();
    // The user's text from an in-place editor went into a cell.
    void CellEdited(int col, int row);

  protected:
    // Keyboard moves stay within the body cells: a move onto a fixed row or
    // column goes no further than the first body cell, or nowhere.
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    void commitData(QWidget* editor) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    void FitLastSections();
    void RebuildItems();
    void StyleItem(QTableWidgetItem* item, int col, int row) const;

    int fixedCols_ = 0;
    int fixedRows_ = 0;
    int defaultColWidth_ = 64;
    int defaultRowHeight_ = 24;
    bool cellsEditable_ = false;
    std::vector<int> colWidths_;  // without the line after the column
    std::function<QString(int, int)> describe_;
};

}  // namespace tav::ui
