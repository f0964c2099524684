// tav1000r: the configuration tool for the TAV-1000R receiver.
//
//   tav1000r [FILE]   the window; FILE, a settings file, is loaded at start
#include "ui/Unit1.h"
#include "ui/application.h"

int main(int argc, char** argv) {
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
