// Undo and redo of every change of the image: the menu "Edycja" with
// "Cofnij" and "Ponów", each naming the step it takes back or makes again.
// The window notes what a handler changed after it has run, by comparing the
// image with the image as the history last saw it; a whole replacement (a
// load, a read, an import) is one step of its own.
#include "edit_history.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QUndoStack>
#include <algorithm>
#include <set>

#include "Unit1.h"
#include "form_text.h"
#include "ui_Unit1.h"

namespace tav::ui {

std::vector<RecordChange> ChangedRecords(const MemoryImage& before, const MemoryImage& after) {
    std::vector<RecordChange> changes;
    for (int r = 0; r < kRecordCount; ++r) {
        const auto b = before.RecordAt(r);
        const auto a = after.RecordAt(r);
        if (!std::ranges::equal(b, a)) {
            RecordChange c;
            c.record = r;
            std::ranges::copy(b, c.before.begin());
            std::ranges::copy(a, c.after.begin());
            changes.push_back(c);
        }
    }
    return changes;
}

namespace {

// Bytes first..last of the record are the only ones changed.
bool OnlyBytes(const RecordChange& c, std::size_t first, std::size_t last) {
    for (std::size_t i = 0; i < kRecordSize; ++i) {
        if ((i < first || i > last) && c.before[i] != c.after[i]) {
            return false;
        }
    }
    return true;
}

bool EmptySerial(const std::array<std::uint8_t, kRecordSize>& r) {
    const auto all = [&](std::uint8_t v) {
        return std::all_of(r.begin(), r.begin() + 4, [v](std::uint8_t b) { return b == v; });
    };
    return all(0x00) || all(0xFF);
}

QString DescribeRemote(const RecordChange& c) {
    const QString number = QString::number(c.record + 1);
    if (OnlyBytes(c, kTextFieldStart, kRecordSize - 1)) {
        return QStringLiteral("nazwa pilota ") + number;
    }
    if (OnlyBytes(c, 3, 3) && (c.before[3] & 0xFC) == (c.after[3] & 0xFC)) {
        return QStringLiteral("scenariusz pilota ") + number;
    }
    if (EmptySerial(c.after) && !EmptySerial(c.before)) {
        return FromUtf8("usunięcie pilota ") + number;
    }
    return QStringLiteral("pilot ") + number;
}

QString DescribeClockRecord(const RecordChange& c) {
    if (c.record == kClockEventRecord) {
        std::vector<int> events;
        for (int e = 0; e < 4; ++e) {
            const auto at = static_cast<std::size_t>(e) * 8;
            if (!std::equal(c.before.begin() + at, c.before.begin() + at + 8,
                            c.after.begin() + at)) {
                events.push_back(e);
            }
        }
        if (events.size() == 1) {
            return QStringLiteral("zdarzenie zegarowe nadajnika %1").arg(1001 + events.front());
        }
        return QStringLiteral("zdarzenia zegarowe");
    }
    const int transmitter = 1001 + c.record - kFirstClockTransmitterRecord;
    if (OnlyBytes(c, kTextFieldStart, kRecordSize - 1)) {
        return QStringLiteral("nazwa nadajnika %1").arg(transmitter);
    }
    if (OnlyBytes(c, 3, 3)) {
        return QStringLiteral("scenariusz nadajnika %1").arg(transmitter);
    }
    return QStringLiteral("nadajnik %1").arg(transmitter);
}

QString DescribeScenarioCell(const RecordChange& c) {
    std::vector<std::size_t> bytes;
    for (std::size_t i = 0; i < kRecordSize; ++i) {
        if (c.before[i] != c.after[i]) {
            bytes.push_back(i);
        }
    }
    if (bytes.size() != 1) {
        return QStringLiteral("scenariusz %1")
            .arg((static_cast<std::size_t>(c.record) * kRecordSize - kScenarioTableOffset) / 64);
    }
    const std::size_t at =
        static_cast<std::size_t>(c.record) * kRecordSize + bytes.front() - kScenarioTableOffset;
    const std::uint8_t b = c.before[bytes.front()];
    const std::uint8_t a = c.after[bytes.front()];
    QString what = FromUtf8("komórka");
    if (ActionTimer(a) == ActionTimer(b) && ActionDelay(a) == ActionDelay(b)) {
        what = QStringLiteral("tryb");
    } else if (ActionMode(a) == ActionMode(b) && ActionDelay(a) == ActionDelay(b)) {
        what = QStringLiteral("timer");
    } else if (ActionMode(a) == ActionMode(b) && ActionTimer(a) == ActionTimer(b)) {
        what = FromUtf8("opóźnienie");
    }
    return FromUtf8("%1: scenariusz %2, przycisk %3, przekaźnik %4")
        .arg(what)
        .arg(at / 64)
        .arg(at % 64 / 4 + 1)
        .arg(at % 4 + 1);
}

}  // namespace

QString DescribeEdit(const std::vector<RecordChange>& changes) {
    if (changes.empty()) {
        return {};
    }
    const auto within = [&](int first, int last) {
        return std::ranges::all_of(
            changes, [&](const RecordChange& c) { return c.record >= first && c.record <= last; });
    };
    const bool one = changes.size() == 1;
    if (within(0, kRemoteCount - 1)) {
        return one ? DescribeRemote(changes.front()) : QStringLiteral("piloty");
    }
    if (within(kFirstClockTransmitterRecord, kClockEventRecord)) {
        return one ? DescribeClockRecord(changes.front()) : QStringLiteral("zdarzenia zegarowe");
    }
    if (within(kDisplayRecord, kDisplayRecord)) {
        return FromUtf8("ustawienia wyświetlacza");
    }
    if (within(kFirstScenarioRecord, kFirstTimerRecord - 1)) {
        return one ? DescribeScenarioCell(changes.front()) : QStringLiteral("scenariusze");
    }
    if (within(kFirstTimerRecord, kLastScenarioGroupRecord)) {
        return one ? FromUtf8("timery i opóźnienia scenariusza %1")
                         .arg(changes.front().record - kFirstTimerRecord)
                   : FromUtf8("timery i opóźnienia");
    }
    if (within(kFirstScenarioRecord, kLastScenarioGroupRecord)) {
        return FromUtf8("scenariusze, timery i opóźnienia");
    }
    return FromUtf8("zmiany ustawień");
}

ImageEdit::ImageEdit(const QString& name, std::vector<RecordChange> changes, bool mergeable,
                     Apply apply)
    : QUndoCommand(name),
      changes_(std::move(changes)),
      mergeable_(mergeable),
      apply_(std::move(apply)) {}

void ImageEdit::undo() {
    apply_(changes_, true);
    done_ = false;
}

void ImageEdit::redo() {
    if (done_) {
        return;  // the edit is in the image already
    }
    apply_(changes_, false);
    done_ = true;
}

bool ImageEdit::mergeWith(const QUndoCommand* other) {
    const auto* next = static_cast<const ImageEdit*>(other);
    if (next->text() != text()) {
        return false;
    }
    for (const RecordChange& later : next->changes_) {
        auto mine = std::ranges::find(changes_, later.record, &RecordChange::record);
        if (mine == changes_.end()) {
            return false;
        }
    }
    for (const RecordChange& later : next->changes_) {
        std::ranges::find(changes_, later.record, &RecordChange::record)->after = later.after;
    }
    // Typing that came back to where it started leaves no step.
    setObsolete(
        std::ranges::all_of(changes_, [](const RecordChange& c) { return c.before == c.after; }));
    return true;
}

// ---- The window's side -------------------------------------------------------

namespace {

// While a text field has undo steps of its own, Ctrl+Z (and redo) are its;
// once it has none, they go to the window's history.
class FieldUndoFilter final : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::ShortcutOverride) {
            return false;
        }
        const auto* edit = qobject_cast<QLineEdit*>(watched);
        const auto* key = static_cast<QKeyEvent*>(event);
        if (edit == nullptr) {
            return false;
        }
        const bool undo = key->matches(QKeySequence::Undo);
        const bool redo = key->matches(QKeySequence::Redo) ||
                          key->keyCombination() == QKeyCombination(Qt::CTRL, Qt::Key_Y);
        if ((undo && !edit->isUndoAvailable()) || (redo && !edit->isRedoAvailable())) {
            event->ignore();
            return true;
        }
        return false;
    }
};

}  // namespace

void TForm1::SetUpEditMenu() {
    history_ = new QUndoStack(this);
    history_->setUndoLimit(200);
    QMenu* menu = new QMenu(QStringLiteral("&Edycja"), this);
    menu->setObjectName(QStringLiteral("Edycja1"));
    menuBar()->addMenu(menu);
    QAction* undo = menu->addAction(QStringLiteral("Cofnij"));
    undo->setObjectName(QStringLiteral("Cofnij1"));
    undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    QAction* redo = menu->addAction(FromUtf8("Ponów"));
    redo->setObjectName(QStringLiteral("Ponow1"));
    redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    const auto show = [this, undo, redo] {
        undo->setEnabled(history_->canUndo());
        undo->setText(history_->canUndo() ? QStringLiteral("Cofnij: ") + history_->undoText()
                                          : QStringLiteral("Cofnij"));
        redo->setEnabled(history_->canRedo());
        redo->setText(history_->canRedo() ? FromUtf8("Ponów: ") + history_->redoText()
                                          : FromUtf8("Ponów"));
    };
    connect(history_, &QUndoStack::indexChanged, this, show);
    show();
    connect(undo, &QAction::triggered, this, [this] {
        // Typed timers not yet taken count as the last edit.
        TakeTypedTimers();
        RecordEdits();
        history_->undo();
    });
    connect(redo, &QAction::triggered, this, [this] {
        TakeTypedTimers();
        RecordEdits();
        history_->redo();
    });
    auto* filter = new FieldUndoFilter(this);
    for (QLineEdit* edit : ui_->centralwidget->findChildren<QLineEdit*>()) {
        edit->installEventFilter(filter);
    }
}

void TForm1::RecordEdits() {
    if (historyPaused_ || operationRunning_ || history_ == nullptr) {
        return;
    }
    std::vector<RecordChange> changes = ChangedRecords(historyImage_, image_);
    if (!changes.empty()) {
        historyImage_ = image_;
        const QString name = DescribeEdit(changes);
        // Typing goes on one step; a choice in a list is a step of its own.
        const bool typing = qobject_cast<QLineEdit*>(QApplication::focusWidget()) != nullptr;
        history_->push(new ImageEdit(
            name, std::move(changes), typing,
            [this](const std::vector<RecordChange>& c, bool before) { ApplyEdit(c, before); }));
    }
    ShowModified();
}

void TForm1::BeginReplacement() {
    RecordEdits();
    historyPaused_ = true;
}

void TForm1::EndReplacement(const QString& name, bool fromOutside) {
    historyPaused_ = false;
    std::vector<RecordChange> changes = ChangedRecords(historyImage_, image_);
    const bool wasFromOutside = imageFromOutside_;
    imageFromOutside_ = fromOutside || imageFromOutside_;
    historyImage_ = image_;
    if (!changes.empty() || wasFromOutside != imageFromOutside_) {
        history_->push(new ImageEdit(name, std::move(changes), false,
                                     [this, wasFromOutside, now = imageFromOutside_](
                                         const std::vector<RecordChange>& c, bool before) {
                                         imageFromOutside_ = before ? wasFromOutside : now;
                                         ApplyEdit(c, before);
                                     }));
    }
    ShowModified();
}

void TForm1::ApplyEdit(const std::vector<RecordChange>& changes, bool before) {
    historyPaused_ = true;
    for (const RecordChange& c : changes) {
        const auto& bytes = before ? c.before : c.after;
        std::ranges::copy(bytes, image_.RecordAt(c.record).begin());
    }
    // A remote's own step shows that remote.
    if (changes.size() == 1 && changes.front().record < kRemoteCount) {
        selection_.selectedRemote = changes.front().record;
        selection_.selectedRemoteOffset = changes.front().record * static_cast<int>(kRecordSize);
    }
    RefreshRemoteGrid();
    ShowSelectedRemote();
    RefreshScenarioPage();
    RefreshSettingsPage();
    RefreshDumpView();
    historyPaused_ = false;
    // What the redraws wrote back (a name as its field holds it) is no step.
    historyImage_ = image_;
    ShowModified();
}

}  // namespace tav::ui
