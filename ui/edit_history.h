// The window's undo history: each step holds the records of the image one
// edit (or one whole replacement: a load, a read, an import) changed, as they
// were before and after, and is named after what the user changed.
#pragma once

#include <QString>
#include <QUndoCommand>
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "image/memory_image.h"

namespace tav::ui {

struct RecordChange {
    int record = 0;
    std::array<std::uint8_t, kRecordSize> before{};
    std::array<std::uint8_t, kRecordSize> after{};
};

// The records that differ between `before` and `after`.
std::vector<RecordChange> ChangedRecords(const MemoryImage& before, const MemoryImage& after);

// What an edit changed, as the menu names it ("nazwa pilota 5", "tryb:
// scenariusz 1, przycisk 3, przekaźnik 2"); a change of several kinds of
// record is "zmiany ustawień".
QString DescribeEdit(const std::vector<RecordChange>& changes);

// One step of the history. The edit is already in the image when the step
// is pushed; undo and redo put the records back through `apply` (true: the
// records as before), which also redraws the window.
class ImageEdit final : public QUndoCommand {
  public:
    using Apply = std::function<void(const std::vector<RecordChange>&, bool before)>;
    // `mergeable`: typing into one field goes on one step while nothing else
    // comes between.
    ImageEdit(const QString& name, std::vector<RecordChange> changes, bool mergeable, Apply apply);

    void undo() override;
    void redo() override;
    int id() const override { return mergeable_ ? 1 : -1; }
    bool mergeWith(const QUndoCommand* other) override;

  private:
    std::vector<RecordChange> changes_;
    bool mergeable_;
    bool done_ = true;  // pushed after the edit was made
    Apply apply_;
};

}  // namespace tav::ui
