// A grid of text cells addressed as (column, row), with fixed (header) rows and
// columns that are ordinary cells of the grid, drawn like buttons and never
// selected or edited. Every cell holds its item from the start, so writing a
// cell never allocates.
#pragma once

#include <QPoint>
#include <QString>
#include <QTableWidget>

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

    // The cell under a point of the viewport; false when the point lies on none.
    bool MouseToCell(QPoint viewportPos, int* col, int* row) const;
    // Centre of a cell in viewport coordinates.
    QPoint CellCentre(int col, int row) const;

  signals:
    // A press of any mouse button on the cells' area, before the grid moves
    // its current cell.
    void MouseDown(Qt::MouseButton button, QPoint viewportPos);

  protected:
    void mousePressEvent(QMouseEvent* event) override;

  private:
    void RebuildItems();
    void StyleItem(QTableWidgetItem* item, int col, int row) const;

    int fixedCols_ = 0;
    int fixedRows_ = 0;
    int defaultColWidth_ = 64;
    int defaultRowHeight_ = 24;
    bool cellsEditable_ = false;
};

}  // namespace tav::ui
