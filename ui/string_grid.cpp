#include "string_grid.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionViewItem>
#include <algorithm>
#include <numeric>

namespace tav::ui {

namespace {
constexpr int kGridLine = 1;
}

TStringGrid::TStringGrid(QWidget* parent) : QTableWidget(parent) {
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setMinimumSectionSize(1);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    setCornerButtonEnabled(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // A plain one-pixel frame; the view's own grid would draw a line after
    // the last column and row too, so paintEvent draws the lines between cells.
    setFrameShape(QFrame::Box);
    setFrameShadow(QFrame::Plain);
    setLineWidth(1);
    setShowGrid(false);
    setDefaultColWidth(defaultColWidth_);
    setDefaultRowHeight(defaultRowHeight_);
}

void TStringGrid::setCols(int n) {
    setColumnCount(n);
    colWidths_.resize(static_cast<std::size_t>(std::max(n, 0)), defaultColWidth_);
    FitLastSections();
    RebuildItems();
}

void TStringGrid::setRows(int n) {
    setRowCount(n);
    FitLastSections();
    RebuildItems();
}

void TStringGrid::setFixedCols(int n) {
    fixedCols_ = n;
    RebuildItems();
}

void TStringGrid::setFixedRows(int n) {
    fixedRows_ = n;
    RebuildItems();
}

void TStringGrid::setDefaultColWidth(int w) {
    defaultColWidth_ = w;
    horizontalHeader()->setDefaultSectionSize(w + kGridLine);
    colWidths_.assign(static_cast<std::size_t>(columnCount()), w);
    FitLastSections();
}

void TStringGrid::setDefaultRowHeight(int h) {
    defaultRowHeight_ = h;
    verticalHeader()->setDefaultSectionSize(h + kGridLine);
    FitLastSections();
}

void TStringGrid::setCellsEditable(bool on) {
    cellsEditable_ = on;
    setEditTriggers(on ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked
                       : QAbstractItemView::NoEditTriggers);
    RebuildItems();
}

void TStringGrid::SetColWidth(int col, int width) {
    if (col < 0 || col >= columnCount()) {
        return;
    }
    colWidths_[static_cast<std::size_t>(col)] = width;
    FitLastSections();
}

int TStringGrid::ColWidth(int col) const {
    return col >= 0 && col < columnCount() ? colWidths_[static_cast<std::size_t>(col)] : 0;
}

// Each section holds its cell and the line after it; the last column and the
// last row have no line.
void TStringGrid::FitLastSections() {
    const int cols = columnCount();
    for (int c = 0; c < cols; ++c) {
        setColumnWidth(c, colWidths_[static_cast<std::size_t>(c)] + (c + 1 < cols ? kGridLine : 0));
    }
    const int rows = rowCount();
    for (int r = 0; r < rows; ++r) {
        setRowHeight(r, defaultRowHeight_ + (r + 1 < rows ? kGridLine : 0));
    }
}

QString TStringGrid::Cell(int col, int row) const {
    const QTableWidgetItem* it = item(row, col);
    return it ? it->text() : QString();
}

namespace {

// A cell whose description for a screen reader comes from its grid.
class GridCell : public QTableWidgetItem {
  public:
    explicit GridCell(const TStringGrid& grid) : grid_(grid) {}
    QVariant data(int role) const override {
        if (role == Qt::AccessibleTextRole) {
            const QString said = grid_.CellDescription(column(), row());
            if (!said.isEmpty()) {
                return said;
            }
        }
        return QTableWidgetItem::data(role);
    }

  private:
    const TStringGrid& grid_;
};

}  // namespace

void TStringGrid::SetCellDescriber(std::function<QString(int col, int row)> describe) {
    describe_ = std::move(describe);
}

QString TStringGrid::CellDescription(int col, int row) const {
    return describe_ && row >= fixedRows_ && col >= fixedCols_ ? describe_(col, row) : QString();
}

void TStringGrid::MarkCell(int col, int row, const QString& problem) {
    QTableWidgetItem* it = item(row, col);
    if (it == nullptr || row < fixedRows_ || col < fixedCols_) {
        return;
    }
    it->setData(Qt::BackgroundRole,
                problem.isEmpty() ? QVariant() : QVariant(QColor(0xFF, 0xD0, 0xD0)));
    it->setToolTip(problem);
    it->setData(Qt::AccessibleDescriptionRole, problem);
}

QString TStringGrid::CellProblem(int col, int row) const {
    const QTableWidgetItem* it = item(row, col);
    return it != nullptr ? it->toolTip() : QString();
}

void TStringGrid::SetCell(int col, int row, const QString& text) {
    QTableWidgetItem* it = item(row, col);
    if (it == nullptr) {
        if (row < 0 || row >= rowCount() || col < 0 || col >= columnCount()) {
            return;
        }
        it = new GridCell(*this);
        StyleItem(it, col, row);
        setItem(row, col, it);
    }
    it->setText(text);
}

bool TStringGrid::MouseToCell(QPoint viewportPos, int* col, int* row) const {
    const QModelIndex index = indexAt(viewportPos);
    if (!index.isValid()) {
        return false;
    }
    *col = index.column();
    *row = index.row();
    return true;
}

QPoint TStringGrid::CellCentre(int col, int row) const {
    return visualRect(model()->index(row, col)).center();
}

QSize TStringGrid::CellsExtent() const {
    int width = 0;
    for (int c = 0; c < columnCount(); ++c) {
        width += columnWidth(c);
    }
    int height = 0;
    for (int r = 0; r < rowCount(); ++r) {
        height += rowHeight(r);
    }
    return {width, height};
}

void TStringGrid::CommitEdit() {
    if (state() != QAbstractItemView::EditingState) {
        return;
    }
    if (QWidget* editor = indexWidget(currentIndex())) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

QModelIndex TStringGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    const QModelIndex target = QTableWidget::moveCursor(action, modifiers);
    if (!target.isValid() || fixedRows_ >= rowCount() || fixedCols_ >= columnCount()) {
        return target;
    }
    return model()->index(std::max(target.row(), fixedRows_),
                          std::max(target.column(), fixedCols_));
}

void TStringGrid::mousePressEvent(QMouseEvent* event) {
    CommitEdit();
    emit MouseDown(event->button(), event->position().toPoint());
    QTableWidget::mousePressEvent(event);
}

// Arrow, Tab and page keys reach the grid here, also those an open editor
// does not use itself; moving the current cell commits that editor first.
void TStringGrid::keyPressEvent(QKeyEvent* event) {
    const QModelIndex before = currentIndex();
    QTableWidget::keyPressEvent(event);
    if (currentIndex() != before) {
        emit KeyMove();
    }
}

// Tab and Backtab in an open editor end the edit and move to the next cell.
void TStringGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    const QModelIndex before = currentIndex();
    QTableWidget::closeEditor(editor, hint);
    const bool moves = hint == QAbstractItemDelegate::EditNextItem ||
                       hint == QAbstractItemDelegate::EditPreviousItem;
    if (moves && currentIndex() != before) {
        emit KeyMove();
    }
}

void TStringGrid::commitData(QWidget* editor) {
    const QModelIndex index = currentIndex();
    QTableWidget::commitData(editor);
    if (index.isValid()) {
        emit CellEdited(index.column(), index.row());
    }
}

void TStringGrid::paintEvent(QPaintEvent* event) {
    QTableWidget::paintEvent(event);
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const auto rgb =
        static_cast<QRgb>(style()->styleHint(QStyle::SH_Table_GridLineColor, &option, this));
    QPainter painter(viewport());
    painter.setPen(QColor::fromRgba(rgb));
    const QSize extent = CellsExtent();
    const int left = columnViewportPosition(0);
    const int top = rowViewportPosition(0);
    for (int c = 0; c + 1 < columnCount(); ++c) {
        const int x = columnViewportPosition(c) + columnWidth(c) - kGridLine;
        painter.drawLine(x, top, x, top + extent.height() - 1);
    }
    for (int r = 0; r + 1 < rowCount(); ++r) {
        const int y = rowViewportPosition(r) + rowHeight(r) - kGridLine;
        painter.drawLine(left, y, left + extent.width() - 1, y);
    }
}

void TStringGrid::RebuildItems() {
    for (int r = 0; r < rowCount(); ++r) {
        for (int c = 0; c < columnCount(); ++c) {
            QTableWidgetItem* it = item(r, c);
            if (it == nullptr) {
                it = new GridCell(*this);
                setItem(r, c, it);
            }
            StyleItem(it, c, r);
        }
    }
}

void TStringGrid::StyleItem(QTableWidgetItem* item, int col, int row) const {
    const bool fixed = col < fixedCols_ || row < fixedRows_;
    if (fixed) {
        item->setFlags(Qt::ItemIsEnabled);
        item->setBackground(palette().button());
        item->setForeground(palette().buttonText());
    } else {
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (cellsEditable_) {
            flags |= Qt::ItemIsEditable;
        }
        item->setFlags(flags);
        item->setData(Qt::BackgroundRole, QVariant());
        item->setData(Qt::ForegroundRole, QVariant());
    }
}

}  // namespace tav::ui
