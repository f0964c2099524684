// tav1000r: the configuration tool for the TAV-1000R receiver.
#include "ui/Unit1.h"
#include "ui/application.h"

int main(int argc, char** argv) {
    return tav::ui::RunProgram(argc, argv, [](tav::ui::Application& app) {
        tav::MemoryImage image;  // the program's one copy of the receiver's memory
        tav::ui::TForm1 form(image, tav::ui::SystemWindowServices());
        form.show();
        QApplication::exec();
        (void)app;
    });
}
