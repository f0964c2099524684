// A window whose file dialogs answer from the test, with the few user actions
// the tests of undo, of the unsaved-edits question and of what the window
// remembers share: choosing in a list, typing, menu items, dropping a file.
#pragma once

#include <QAction>
#include <QComboBox>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QTabWidget>
#include <QUrl>
#include <filesystem>
#include <fstream>
#include <vector>

#include "image/settings_file.h"
#include "tests/support/temp_folder.h"
#include "window_fixture.h"

namespace tav::ui::testing {

class EditsTest : public WindowTest {
  protected:
    void TearDown() override { form.reset(); }  // before the folder goes

    void Trigger(const char* item) { Find<QAction>(item)->trigger(); }
    QString ActionText(const char* item) { return Find<QAction>(item)->text(); }

    void Type(const char* edit, const QString& text) {
        auto* e = Find<QLineEdit>(edit);
        e->setFocus();
        QTest::keyClicks(e, text);
    }
    void Page(int index) { Find<QTabWidget>("PageControl1")->setCurrentIndex(index); }
    // Remote 1..1000 selected on the map.
    void SelectRemote(int remote) {
        Page(0);
        PressCell("StringGrid2", (remote - 1) % 50, (remote - 1) / 50);
    }

    std::filesystem::path File(const char* name) const { return folder.path() / name; }
    static QString Q(const std::filesystem::path& p) { return QString::fromStdString(p.string()); }

    static void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& b) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
    }
    static void WriteSettings(const std::filesystem::path& path, const MemoryImage& image) {
        ASSERT_EQ(WriteSettingsFile(image, path), SettingsSaveResult::Saved);
    }
    // A TAV-500 list: entry d holds a serial number of its own for d < `used`.
    static std::vector<std::uint8_t> OlderModelList(int used, std::size_t size = 2048) {
        std::vector<std::uint8_t> b(size, 0xFF);
        for (int d = 0; d < used && d * 4 + 3 < static_cast<int>(size); ++d) {
            b[static_cast<std::size_t>(d) * 4] = 0x12;
            b[static_cast<std::size_t>(d) * 4 + 1] = static_cast<std::uint8_t>(d);
            b[static_cast<std::size_t>(d) * 4 + 2] = static_cast<std::uint8_t>(d >> 8);
            b[static_cast<std::size_t>(d) * 4 + 3] = 0x8F;
        }
        return b;
    }

    void Load(const std::filesystem::path& path) {
        openAnswer = Q(path);
        Trigger("N2");
    }
    void Import(const std::filesystem::path& path) {
        openAnswer = Q(path);
        Trigger("ImportujplikzTAV5001");
    }
    // A file dropped on the window, as a file manager drops it.
    void Drop(const std::filesystem::path& path) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(Q(path))});
        const QPoint at = form->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(form.get(), &enter);
        ASSERT_TRUE(enter.isAccepted()) << path;
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(form.get(), &drop);
    }

    testsupport::TempFolder folder{"tav-edits"};
};

}  // namespace tav::ui::testing
