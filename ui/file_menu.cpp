// The menu "Plik": settings files, the older model's files and the firmware
// update.
#include "Unit1.h"

#include "ui_Unit1.h"

namespace tav::ui {

void TForm1::N3Click() {}
void TForm1::N2Click() {}
void TForm1::ImportujplikzTAV5001Click() {}
void TForm1::AktualizujoprogramowaniewTAV1000U1Click() {}
}  // namespace tav::ui
