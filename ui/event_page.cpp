// The event page "ZDARZENIA": on-line reception, the history download, and
// saving and printing the event log.
#include "Unit1.h"

#include "ui_Unit1.h"

namespace tav::ui {

void TForm1::Button10Click() {}
void TForm1::Button11Click() {}
void TForm1::Button14Click() {}
void TForm1::Button19Click() {}
void TForm1::Button20Click() {}
void TForm1::Button21Click() {}

void TForm1::Timer2Timer() {
    if (!onlineReceptionActive_) {
        return;
    }
}
}  // namespace tav::ui
