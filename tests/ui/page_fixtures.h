// The scenarios page's and the page "POZOSTALE"'s fixtures: the edits a user
// makes there, shared by the pages' own tests and their transfers against the
// simulated receiver.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>
#include <string_view>
#include <vector>

#include "window_fixture.h"

namespace tav::ui::testing {
namespace {

const QString kUnused = QString(13, '_');  // "___" and both parts hidden
const QString kB = "B" + QString(12, '_');

class ScenariosPageTest : public WindowTest {
  protected:
    void SetUp() override {
        MakeForm();
        Find<QTabWidget>("PageControl1")->setCurrentIndex(1);
    }

    // A cell of the scenario grid for button b (0..13) and relay r (0..3).
    void SelectCell(int b, int r) { PressCell("StringGrid1", r + 1, b + 1); }
    QString CellShown(int b, int r) { return Grid("StringGrid1").Cell(r + 1, b + 1); }
    std::uint8_t Stored(int s, int b, int r) { return image.at(ScenarioCellOffset(s, b, r)); }
    bool Enabled(const char* list) { return Find<QComboBox>(list)->isEnabled(); }
    int Index(const char* list) { return Find<QComboBox>(list)->currentIndex(); }

    // Types `text` over a timer-grid cell in its in-place editor, which stays open.
    void Type(int col, int row, const QString& text) {
        TStringGrid& g = Grid("StringGrid3");
        // A press on the cell already current would start the view's delayed
        // edit, which holds off F2 for a double-click interval.
        if (g.currentIndex() != g.model()->index(row, col)) {
            PressCell("StringGrid3", col, row);
        }
        QTest::keyClick(&g, Qt::Key_F2);
        auto* editor = qobject_cast<QLineEdit*>(g.indexWidget(g.currentIndex()));
        ASSERT_NE(editor, nullptr) << col << "," << row;
        editor->selectAll();
        QTest::keyClick(editor, Qt::Key_Backspace);
        QTest::keyClicks(editor, text);
    }
    QLineEdit* OpenEditor() {
        TStringGrid& g = Grid("StringGrid3");
        return qobject_cast<QLineEdit*>(g.indexWidget(g.currentIndex()));
    }
};

using Bytes = std::vector<std::uint8_t>;

class SettingsPageTest : public WindowTest {
  protected:
    void SetUp() override { MakeForm(); }

    Bytes At(std::size_t offset, std::size_t n) const {
        const auto b = form->image().Bytes().begin() + static_cast<std::ptrdiff_t>(offset);
        return Bytes(b, b + static_cast<std::ptrdiff_t>(n));
    }
    Bytes Entry(int event) const { return At(kClockEventOffset + 8 * event, 8); }
    Bytes DisplayText() const { return At(kDisplayTextOffset, 26); }
    void SetAt(std::size_t offset, const Bytes& bytes) {
        std::copy(bytes.begin(), bytes.end(), form->image().Bytes().begin() + offset);
    }

    // The user's choice of `index` in a list, by the arrow keys.
    void Choose(const char* name, int index) {
        auto* list = Find<QComboBox>(name);
        list->setCurrentIndex(index > 0 ? index - 1 : 1);
        QTest::keyClick(list, index > 0 ? Qt::Key_Down : Qt::Key_Up);
        ASSERT_EQ(list->currentIndex(), index) << name;
    }
    // A mouse click on a check box's indicator; a disabled box takes none.
    void Tick(const char* name) {
        auto* box = Find<QCheckBox>(name);
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    }
    QLineEdit* Edit(const char* name) { return Find<QLineEdit>(name); }
    QCheckBox* Box(const char* name) { return Find<QCheckBox>(name); }
    int DumpStart() const { return form->selection().dumpStartOffset; }
};

// "00FF" -> {0x00, 0xFF}
inline Bytes Hex(std::string_view hex) {
    Bytes b;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        b.push_back(
            static_cast<std::uint8_t>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
    }
    return b;
}

inline Bytes Text26(std::string_view text) {
    Bytes b(text.begin(), text.end());
    b.resize(26, 0);
    return b;
}

}  // namespace
}  // namespace tav::ui::testing
