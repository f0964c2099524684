// The window's side of the operation dispatcher: modal message boxes, the
// progress bar, the reloads and the repaints, all on the one UI thread.
#pragma once

#include "link/operation_host.h"

namespace tav::ui {

class TForm1;

class QtOperationHost final : public OperationHost {
  public:
    explicit QtOperationHost(TForm1& form) : form_(form) {}

    void ShowMessage(std::string_view text, std::string_view caption) override;
    void ShowVersionText(std::string_view text) override;
    void SetProgressRange(int minimum, int maximum) override;
    void SetProgressPosition(int position) override;
    void ResetProgress() override;
    void RefreshRemoteGrid() override;
    void ShowSelectedRemote() override;
    void RefreshScenarioPage() override;
    void RefreshScenarioGrid() override;
    void ShowDisplaySettings() override;
    void ShowClockEvents() override;
    void RefreshSettingsPage() override;
    void RepaintWindow() override;
    bool OnlineReceptionActive() const override;
    int SelectedPortIndex() const override;
    int SelectedRemote() const override;

  private:
    TForm1& form_;
};

}  // namespace tav::ui
