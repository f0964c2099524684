#include "string_grid.h"

#include <QHeaderView>
#include <QMouseEvent>

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
    setFrameShape(QFrame::Box);
    setLineWidth(1);
    setDefaultColWidth(defaultColWidth_);
    setDefaultRowHeight(defaultRowHeight_);
}

void TStringGrid::setCols(int n) {
    setColumnCount(n);
    setDefaultColWidth(defaultColWidth_);
    RebuildItems();
}

void TStringGrid::setRows(int n) {
    setRowCount(n);
    setDefaultRowHeight(defaultRowHeight_);
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
    for (int c = 0; c < columnCount(); ++c) {
        setColumnWidth(c, w + kGridLine);
    }
}

void TStringGrid::setDefaultRowHeight(int h) {
    defaultRowHeight_ = h;
    verticalHeader()->setDefaultSectionSize(h + kGridLine);
    for (int r = 0; r < rowCount(); ++r) {
        setRowHeight(r, h + kGridLine);
    }
}

void TStringGrid::setCellsEditable(bool on) {
    cellsEditable_ = on;
    setEditTriggers(on ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked
                       : QAbstractItemView::NoEditTriggers);
    RebuildItems();
}

void TStringGrid::SetColWidth(int col, int width) {
    setColumnWidth(col, width + kGridLine);
}

int TStringGrid::ColWidth(int col) const {
    return columnWidth(col) - kGridLine;
}

QString TStringGrid::Cell(int col, int row) const {
    const QTableWidgetItem* it = item(row, col);
    return it ? it->text() : QString();
}

void TStringGrid::SetCell(int col, int row, const QString& text) {
    QTableWidgetItem* it = item(row, col);
    if (it == nullptr) {
        if (row < 0 || row >= rowCount() || col < 0 || col >= columnCount()) {
            return;
        }
        it = new QTableWidgetItem;
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

void TStringGrid::mousePressEvent(QMouseEvent* event) {
    emit MouseDown(event->button(), event->position().toPoint());
    QTableWidget::mousePressEvent(event);
}

void TStringGrid::RebuildItems() {
    for (int r = 0; r < rowCount(); ++r) {
        for (int c = 0; c < columnCount(); ++c) {
            QTableWidgetItem* it = item(r, c);
            if (it == nullptr) {
                it = new QTableWidgetItem;
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
