// What a device operation reports to whoever runs it (the window, tavctl, a
// benchmark or a test recorder): its messages, its progress, the records of
// the image it changed and whether to stop. The operation's inputs are values
// in its DeviceContext; its outcome is what it returns.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tav {

struct PortOpenOutcome;

// What a transfer of several records or blocks moves.
enum class ProgressKind { kNone, kRead, kWrite, kFirmware };

// Where a running operation is. `position` runs over minimum..maximum for a
// bar; `done` of `total` records (or firmware blocks) have gone through, and
// `secondsLeft` is what the rest takes on the line. All zero: no operation is
// under way (the bar is reset).
struct OperationProgress {
    ProgressKind kind = ProgressKind::kNone;
    int minimum = 0;
    int maximum = 0;
    int position = 0;
    int done = 0;
    int total = 0;
    double secondsLeft = 0;

    bool Active() const { return maximum > minimum; }
};

class OperationHost {
  public:
    virtual ~OperationHost() = default;

    // A modal message with an OK button only; the operation goes on once it
    // has been shown. Texts are UTF-8. An empty `caption` is a message
    // without one.
    virtual void ShowMessage(std::string_view text, std::string_view caption) = 0;
    // The last version answer, as text.
    virtual void ShowVersionText(std::string_view text) = 0;
    // Right after the port message of a failed open: what the open ran into.
    virtual void PortOpenFailed(const PortOpenOutcome& outcome) = 0;
    virtual void ShowProgress(const OperationProgress& progress) = 0;
    // Records first..last of the context's image now hold what the receiver
    // sent.
    virtual void RecordsChanged(int first, int last) = 0;
    // Asked between two records of a transfer (and between two firmware
    // blocks), with the one just done: true stops the operation there, before
    // the next goes out.
    virtual bool StopAfterRecord(int record) = 0;
};

// A host that shows nothing and never stops: the messages are kept, each as
// "TEXT | CAPTION", for whoever wants to look at them afterwards.
class QuietOperationHost : public OperationHost {
  public:
    std::vector<std::string> messages;

    void ShowMessage(std::string_view text, std::string_view caption) override {
        messages.push_back(std::string(text) + " | " + std::string(caption));
    }
    void ShowVersionText(std::string_view) override {}
    void PortOpenFailed(const PortOpenOutcome&) override {}
    void ShowProgress(const OperationProgress&) override {}
    void RecordsChanged(int, int) override {}
    bool StopAfterRecord(int) override { return false; }
};

}  // namespace tav
