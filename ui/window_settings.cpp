// What the window remembers between runs in the user's settings (the
// registry on Windows, ~/.config/TAV/TAV-1000R.conf on Linux): the port, each
// file dialog's last folder, the window's place and size and the recent
// settings files.
#include "window_settings.h"

#include <QComboBox>
#include <QFileInfo>
#include <QSettings>

#include "Unit1.h"
#include "screen_fit.h"
#include "ui_Unit1.h"

namespace tav::ui {

namespace {

const QString kPortKey = QStringLiteral("port");
const QString kPlaceKey = QStringLiteral("window/place");
const QString kRecentKey = QStringLiteral("recentFiles");
const QString kFoldersGroup = QStringLiteral("folders");

}  // namespace

QRect RememberedPlaceOnScreens(QRect remembered, const QList<QRect>& available, QSize frameExtra,
                               QPoint fallback) {
    const QRect frame(remembered.topLeft(), remembered.size() + frameExtra);
    QRect best;
    int bestArea = 0;
    for (const QRect& screen : available) {
        const QRect shown = screen.intersected(frame);
        const int area = shown.isEmpty() ? 0 : shown.width() * shown.height();
        if (area > bestArea) {
            bestArea = area;
            best = screen;
        }
    }
    if (bestArea == 0) {
        // Its monitor is gone: where a new window goes, on the main screen.
        return ClientGeometryOnScreen(remembered.size(), fallback,
                                      available.isEmpty() ? QRect() : available.front(),
                                      frameExtra);
    }
    return ClientGeometryOnScreen(remembered.size(), remembered.topLeft(), best, frameExtra);
}

std::unique_ptr<QSettings> TForm1::OpenSettings() const {
    return services_.settings ? services_.settings() : nullptr;
}

void TForm1::RestoreWindowSettings() {
    const auto settings = OpenSettings();
    if (!settings) {
        return;
    }
    const int port = ui_->ComboBox1->findText(settings->value(kPortKey).toString());
    if (port >= 0) {
        ui_->ComboBox1->setCurrentIndex(port);
    }
    settings->beginGroup(kFoldersGroup);
    for (const QString& kind : settings->childKeys()) {
        folders_[kind] = settings->value(kind).toString();
    }
    settings->endGroup();
    logFolder_ = folders_.value(QStringLiteral("log"));
    rememberedPlace_ = settings->value(kPlaceKey).toRect();
    recentFiles_ = settings->value(kRecentKey).toStringList().mid(0, kRecentFileCount);
    ShowRecentFiles();
}

void TForm1::SaveWindowSettings() {
    const auto settings = OpenSettings();
    if (!settings) {
        return;
    }
    settings->setValue(kPortKey, ui_->ComboBox1->currentText());
    if (!logFolder_.isEmpty()) {
        folders_[QStringLiteral("log")] = logFolder_;
    }
    settings->beginGroup(kFoldersGroup);
    for (auto it = folders_.cbegin(); it != folders_.cend(); ++it) {
        settings->setValue(it.key(), it.value());
    }
    settings->endGroup();
    settings->setValue(kPlaceKey, QRect(pos(), size()));
    settings->setValue(kRecentKey, recentFiles_);
}

QString TForm1::FolderFor(const QString& kind) const {
    return folders_.value(kind);
}

void TForm1::RememberFolder(const QString& kind, const QString& file) {
    folders_[kind] = QFileInfo(file).absolutePath();
}

}  // namespace tav::ui
