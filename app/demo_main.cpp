// tav1000r-demo: the window with "COM1" wired to a simulated TAV-1000R in this
// process and "COM2" to one in boot-loader mode, so every button can be tried
// without a receiver.
//
//   tav1000r-demo [FILE]             the window, as tav1000r; the update
//                                    menu item sends a generated test image
//   tav1000r-demo --screenshots DIR  reads all settings from the simulated
//                                    receiver, saves a picture of each page in
//                                    DIR and prints the paths
//   tav1000r-demo --version | --help
#include <QDir>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QThread>
#include <cstdio>
#include <cstring>
#include <string>

#include "demo_setup.h"
#include "ui/Unit1.h"
#include "ui/application.h"
#include "ui/string_grid.h"

namespace {

void Settle() {
    for (int i = 0; i < 20; ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(10);
    }
}

// A press on one cell of a grid, as the user's mouse gives it.
void PressCell(tav::ui::TStringGrid& grid, int col, int row) {
    const QPointF pos = grid.CellCentre(col, row);
    QMouseEvent press(QEvent::MouseButtonPress, pos, grid.viewport()->mapToGlobal(pos),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(grid.viewport(), &press);
    QMouseEvent release(QEvent::MouseButtonRelease, pos, grid.viewport()->mapToGlobal(pos),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(grid.viewport(), &release);
}

void TakeScreenshots(tav::ui::TForm1& form, const QString& dir) {
    QDir().mkpath(dir);
    Settle();
    form.findChild<QPushButton*>(QStringLiteral("Button3"))->click();
    // Show a named remote's details on the remotes page.
    PressCell(*form.findChild<tav::ui::TStringGrid*>(QStringLiteral("StringGrid2")), 1, 0);
    auto* pages = form.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    for (int i = 0; i < pages->count(); ++i) {
        pages->setCurrentIndex(i);
        Settle();
        const QString path = QDir(dir).absoluteFilePath(
            QStringLiteral("page%1-%2.png").arg(i + 1).arg(pages->tabText(i)));
        if (!form.grab().save(path)) {
            throw std::runtime_error("cannot save " + path.toStdString());
        }
        std::printf("%s\n", path.toLocal8Bit().constData());
        std::fflush(stdout);
    }
}

constexpr char kUsage[] =
    " [PLIK]\n"
    "        tav1000r-demo --screenshots KATALOG\n"
    "Okno programu tav1000r z symulowanym odbiornikiem TAV-1000R na COM1 i odbiornikiem\n"
    "w trybie bootloadera na COM2: każdy przycisk można wypróbować bez urządzenia.\n"
    "\n"
    "  PLIK                   plik ustawień (*.tv2, *.tv1) wczytywany po uruchomieniu\n"
    "  --screenshots KATALOG  odczytuje ustawienia z symulowanego odbiornika, zapisuje\n"
    "                         obraz każdej strony okna w KATALOGU i kończy pracę\n"
    "  --version              wersja programu\n"
    "  --help                 ten opis\n";

}  // namespace

int main(int argc, char** argv) {
    if (tav::ui::AnswerInfoOption(argc, argv, "tav1000r-demo", kUsage)) {
        return 0;
    }
    QString screenshotDir;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--screenshots") == 0 && i + 1 < argc) {
            screenshotDir = QString::fromLocal8Bit(argv[i + 1]);
        }
    }
    return tav::ui::RunProgram(argc, argv, [&](tav::ui::Application&) {
        const bool screenshots = !screenshotDir.isEmpty();
        tav::demo::DemoReceivers receivers = tav::demo::StartDemoReceivers(!screenshots);
        tav::ui::WindowServices services = tav::ui::SystemWindowServices();
        services.portResolver = receivers.resolver;
        if (receivers.makePort) {
            services.makePort = receivers.makePort;
        }
        services.firmware = tav::demo::DemoFirmware();
        if (screenshots) {
            // Nobody is there to press OK.
            services.showMessage = [](QWidget*, const QString& text, const QString& caption) {
                std::fprintf(stderr, "[%s] %s\n", caption.toLocal8Bit().constData(),
                             text.toLocal8Bit().constData());
            };
        }
        tav::MemoryImage image;
        tav::ui::TForm1 form(image, services);
        form.show();
        if (!screenshots) {
            std::printf("COM1: %s (TAV-1000R)\nCOM2: %s (TAV-1000R w trybie bootloadera)\n",
                        receivers.applicationDevice.c_str(), receivers.bootLoaderDevice.c_str());
            std::fflush(stdout);
        }
        if (const QString file = tav::ui::SettingsFileArgument(QCoreApplication::arguments(),
                                                               {QStringLiteral("--screenshots")});
            !file.isEmpty()) {
            form.LoadSettingsFile(file);
        }
        if (screenshots) {
            TakeScreenshots(form, screenshotDir);
            return;
        }
        QApplication::exec();
    });
}
