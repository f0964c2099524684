// ComboBox1, the port list: the form's COM1..COM15, then each port above
// COM15 the system has, in number order. A port that is there shows what it
// is in the open list ("COM3 — FT232R USB UART (ttyUSB0)"); one that is not
// stays selectable. The closed list shows the name alone.
#include <QAbstractItemView>
#include <QComboBox>
#include <QStyle>
#include <QStyledItemDelegate>

#include "Unit1.h"
#include "form_text.h"
#include "link/port_resolver.h"
#include "ui_Unit1.h"

namespace tav::ui {

namespace {

constexpr int kPortIndexRole = Qt::UserRole;            // 16: COM17
constexpr int kPortDescriptionRole = Qt::UserRole + 1;  // empty: not there now

// "COM3 — FT232R USB UART (ttyUSB0)", or the name alone when the port is not there.
QString EntryText(const QString& name, const QString& what) {
    return what.isEmpty() ? name : name + QStringLiteral(" — ") + what;
}

// Entries of the open list: the name, and what the port is when it is there.
class PortItemDelegate final : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        option->text = EntryText(option->text, index.data(kPortDescriptionRole).toString());
    }
};

}  // namespace

void TForm1::FillPortList() {
    QComboBox& ports = *ui_->ComboBox1;
    for (int i = 0; i < kPortCount; ++i) {
        ports.addItem(FromUtf8(PortNames[static_cast<std::size_t>(i)]), i);
    }
    ports.setCurrentIndex(0);
    ports.setItemDelegate(new PortItemDelegate(&ports));
    RefreshPortList();
}

void TForm1::RefreshPortList() {
    QComboBox& ports = *ui_->ComboBox1;
    for (int row = 0; row < ports.count(); ++row) {
        ports.setItemData(row, QString(), kPortDescriptionRole);
        ports.setItemData(row, QStringLiteral("brak urządzenia"), Qt::ToolTipRole);
    }
    for (const PresentPort& port : services_.portResolver->PresentPorts()) {
        int row = ports.findData(port.index, kPortIndexRole);
        if (row < 0) {
            // Above COM15: in number order after the form's names. A port
            // that goes away keeps its entry, so what is selected stays.
            row = kPortCount;
            while (row < ports.count() &&
                   ports.itemData(row, kPortIndexRole).toInt() < port.index) {
                ++row;
            }
            ports.insertItem(row, QString::fromStdString(PortName(port.index)), port.index);
        }
        ports.setItemData(row, QString::fromStdString(port.description), kPortDescriptionRole);
        ports.setItemData(row, QString::fromStdString(port.device), Qt::ToolTipRole);
    }
    // The open list is as wide as its longest entry, wider than the form's
    // narrow closed list.
    QAbstractItemView& list = *ports.view();
    list.setMinimumWidth(list.sizeHintForColumn(0) + 2 * list.frameWidth() +
                         list.style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    ShowPortState();
}

int TForm1::SelectedPortIndex() const {
    const QVariant index = ui_->ComboBox1->currentData(kPortIndexRole);
    return index.isValid() ? index.toInt() : -1;
}

QString TForm1::PortListEntryText(int row) const {
    const QComboBox& ports = *ui_->ComboBox1;
    const QString what = ports.itemData(row, kPortDescriptionRole).toString();
    return what.isEmpty() ? ports.itemText(row)
                          : ports.itemText(row) + QStringLiteral(" — ") + what;
}

QString TForm1::PortMapText() const {
    const QComboBox& ports = *ui_->ComboBox1;
    QStringList lines;
    for (int row = 0; row < ports.count(); ++row) {
        const auto path =
            services_.portResolver->DevicePath(ports.itemData(row, kPortIndexRole).toInt());
        lines << ports.itemText(row) + QStringLiteral(": ") +
                     (path ? QString::fromStdString(*path) : QStringLiteral("brak urządzenia"));
    }
    return lines.join(QLatin1Char('\n'));
}

}  // namespace tav::ui
