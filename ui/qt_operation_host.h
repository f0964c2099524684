// The window's side of the device operations, which run on a thread of their
// own: each report is handed to the window's thread, in order. A message waits
// until the window has shown it (its box is modal, and the operation's next
// step follows it); progress, the version text and the records read are
// queued, so that the transfer never waits for a redraw.
#pragma once

#include <QString>
#include <functional>

#include "link/operation_host.h"

namespace tav::ui {

class TForm1;

class QtOperationHost final : public OperationHost {
  public:
    explicit QtOperationHost(TForm1& form) : form_(form) {}

    void ShowMessage(std::string_view text, std::string_view caption) override;
    void ShowVersionText(std::string_view text) override;
    // The port message comes with the reason the open ran into.
    void PortOpenFailed(const PortOpenOutcome& outcome) override;
    void ShowProgress(const OperationProgress& progress) override;
    void RecordsChanged(int first, int last) override;
    bool StopAfterRecord(int record) override;

    // Runs `work` on the window's thread: at once when called there,
    // otherwise queued, waiting for it with `wait`.
    void OnWindowThread(std::function<void()> work, bool wait);

  private:
    TForm1& form_;
    QString portMessageCaption_;
};

}  // namespace tav::ui
