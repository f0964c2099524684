// How the form's controls reach their handlers, for the files that connect them.
#pragma once

#include "Unit1.h"

namespace tav::ui {

template <typename Sender, typename Signal, typename... Args>
void TForm1::ConnectEdit(Sender* sender, Signal signal, void (TForm1::*handler)(Args...)) {
    connect(sender, signal, this, [this, handler](Args... args) {
        (this->*handler)(args...);
        RecordEdits();
    });
}

}  // namespace tav::ui
