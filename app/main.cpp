// tav1000r: the configuration tool for the TAV-1000R receiver.
//
//   tav1000r [FILE]   the window; FILE, a settings file, is loaded at start
//   tav1000r --version | --help
#include "ui/Unit1.h"
#include "ui/application.h"

namespace {

constexpr char kUsage[] =
    " [PLIK]\n"
    "Program konfiguracyjny odbiornika TAV-1000R: jedno okno z ustawieniami pilotów,\n"
    "scenariuszy, zegara, wyświetlacza i dziennikiem zdarzeń.\n"
    "\n"
    "  PLIK        plik ustawień (*.tv2, *.tv1) wczytywany po uruchomieniu\n"
    "  --version   wersja programu\n"
    "  --help      ten opis\n";

}  // namespace

int main(int argc, char** argv) {
    if (tav::ui::AnswerInfoOption(argc, argv, "tav1000r", kUsage)) {
        return 0;
    }
    return tav::ui::RunProgram(argc, argv, [](tav::ui::Application& app) {
        tav::MemoryImage image;  // the program's one copy of the receiver's memory
        tav::ui::TForm1 form(image, tav::ui::SystemWindowServices());
        form.show();
        if (const QString file = tav::ui::SettingsFileArgument(QCoreApplication::arguments());
            !file.isEmpty()) {
            form.LoadSettingsFile(file);
        }
        QApplication::exec();
        (void)app;
    });
}
