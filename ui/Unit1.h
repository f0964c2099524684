// Unit1: the main window Form1 of class TForm1. It owns the controls of the
// form (Unit1.ui), the selection state and the serial link, works on the
// program's one MemoryImage, and holds the event handlers the form names. The
// work behind them lives in image/ and link/.
#pragma once

#include <QHash>
#include <QMainWindow>
#include <QRect>
#include <QString>
#include <QStringList>
#include <array>
#include <atomic>
#include <bitset>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "form_state.h"
#include "image/memory_image.h"
#include "link/event_lines.h"
#include "link/protocol.h"
#include "link/serial_link.h"
#include "print_pages.h"
#include "qt_operation_host.h"
#include "services.h"

class QHelpEvent;
class QAction;
class QDialog;
class QLabel;
class QPushButton;
class QSettings;
class QTimer;
class QUndoStack;

namespace Ui {
class TForm1;
}

namespace tav {
struct OperationOutcome;
}

namespace tav::ui {

struct RecordChange;

class TForm1 : public QMainWindow {
    Q_OBJECT

  public:
    // Builds the form and runs FormCreate. `image` is the program's one memory
    // image; it must outlive the window. Members of `services` left empty are
    // the system's (CompletedWithSystem).
    TForm1(MemoryImage& image, WindowServices services, QWidget* parent = nullptr);
    ~TForm1() override;

    MemoryImage& image() { return image_; }
    const MemoryImage& image() const { return image_; }
    const SelectionState& selection() const { return selection_; }
    const WindowServices& services() const { return services_; }
    DeviceContext& deviceContext() { return context_; }
    bool OnlineReceptionActive() const { return onlineReceptionActive_; }
    // The port selected in ComboBox1 (its index: 16 for COM17), -1 when none.
    int SelectedPortIndex() const;

    // Runs one numbered device operation through the dispatcher off the
    // window's thread (RunWithoutInput), on a copy of the image: what it read
    // is taken into the image afterwards, unless it was stopped.
    void RunDeviceOperation(unsigned operation);
    // Runs `work` on a thread of its own and returns when it has ended; the
    // event loop runs meanwhile, with the stop control shown and every other
    // input to this window dropped, not queued. `work` reaches the window
    // only through host_, which passes each report to the window's thread.
    void RunWithoutInput(const std::function<void()>& work);
    // True from the start of RunWithoutInput's work until it has ended.
    bool OperationRunning() const { return operationRunning_; }
    // The stop control's work (PRZERWIJ, Esc): the running operation stops at
    // its next record or block; a firmware update asks first.
    void RequestStop();
    // Whether to stop the running operation (Tak/Nie, "Nie" preselected); a
    // firmware update's question says the receiver stays in its boot loader.
    bool AskToStop();
    // Asked by the running operation between two records, on its own thread.
    bool StopRequested() const { return stopRequested_.load(); }
    // From the running operation: records first..last of its copy of the
    // image hold what the receiver sent.
    void NoteRecordsRead(int first, int last);

    // True while the image holds edits that neither a settings file nor the
    // receiver holds, as far as the window knows (unsaved_edits.cpp); the
    // second only for the first `bytes` of records first..last.
    bool HasUnsavedEdits() const;
    bool HasUnsavedEditsIn(int first, int last, std::size_t bytes = kRecordSize) const;

    // Status bar (status_bar.cpp): the open file in the title and the bar,
    // with the unsaved mark; a message that goes after a while; a permanent
    // field of its own for whoever wants one.
    void ShowOpenFile();
    void ShowStatusMessage(const QString& text);
    // The selected port: present, busy with an operation or reception, or
    // without a device; and the last device operation with its result and time.
    void ShowPortState();
    void ShowLastOperation(unsigned operation, const OperationOutcome& outcome);
    QLabel* AddStatusField(const QString& objectName);

    // Redraws from the image, called by the pages, the dispatcher and the file menu.
    void RefreshRemoteGrid();
    void ShowSelectedRemote();
    void RefreshScenarioPage();
    void RefreshScenarioGrid();
    void ShowCellEditor(std::uint8_t action);
    void RefreshTimerGrid();
    void RefreshDumpView();
    void ShowDisplaySettings();
    void StoreDisplaySettings();
    void RefreshSettingsPage();
    void ShowClockEvents();
    // A new last line of RichEdit1, from Windows-1250 bytes; the view follows
    // it unless the user has scrolled away from the end.
    void AppendEventLine(std::string_view line);

    // ProgressBar1 and the text beside it ("Odczyt: rekord 312 z 1024,
    // zostało ok. 25 s"); an inactive progress resets both.
    void ShowProgress(const OperationProgress& progress);

    // A modal message box with an OK button only, through the services.
    void ShowMessage(const QString& text, const QString& caption);
    // StaticText1, which grows with its text.
    void ShowVersionText(const QString& text);

    // Printed pages that had no printer to go to, saved as a PDF chosen in
    // SaveDialog1 (print_pages.cpp); the message after it says where. True
    // when the file was written.
    bool SavePagesAsPdf(const PdfPages& pages);

    // The tooltip of a cell of the remotes map: the remote's number, and its
    // name and serial number when the slot is used.
    QString RemoteHint(int remote) const;

    // ComboBox1's tooltip: the device each port name opens now.
    QString PortMapText() const;
    // Port list (port_list.cpp). Marks the ports there are now with what they
    // are, and adds those above COM15 that the list lacks.
    void RefreshPortList();
    // An entry of the open list as it is drawn: "COM3 — FT232R USB UART (ttyUSB0)".
    QString PortListEntryText(int row) const;

    // File menu (file_menu.cpp). Loads the settings file at `path` as the
    // menu's load does, with its messages and redraws; true when the image
    // was replaced. One that cannot be opened is said only when asked.
    bool LoadSettingsFile(const QString& path, bool sayWhenCannotOpen = true);
    // "Zapisz": to the open file without asking, else as "Zapisz jako…".
    bool SaveSettingsFile();
    // Imports the TAV-500 list at `path`, after checking that a TAV-500
    // wrote it; true when the image took it.
    bool ImportOlderModel(const QString& path);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // The first show fits the window into the screen's free area.
    void showEvent(QShowEvent* event) override;
    // A .tv2 or .tv1 dropped on the window loads, a .tvs imports.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private slots:
    // Device buttons.
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button7Click();
    void Button8Click();
    void Button12Click();
    void Button13Click();
    void Button15Click();
    void Button16Click();
    void Button17Click();
    void Button18Click();

    // Remotes page.
    void StringGrid2MouseDown(Qt::MouseButton button, QPoint pos);
    // The map's highlight moved by the keyboard: that remote is selected.
    void StringGrid2KeyMove();
    void Edit4Change();
    void ComboBox16Change(int index);

    // Memory dump view.
    void Button5Click();
    void Button9Click();

    // Scenarios page.
    void ComboBox2Change(int index);
    void StringGrid1MouseDown(Qt::MouseButton button, QPoint pos);
    void ComboBox3Change(int index);
    void ComboBox4Change(int index);
    void ComboBox5Change(int index);
    void StringGrid3Click();
    void Button6Click();

    // Display settings.
    void Edit1Change();
    void ComboBox15Change(int index);
    void potw_zd_CBoxClick();
    void przyc_jako_pilotCBClick();

    // Clock events.
    void MaskEdit1Change();
    void MaskEdit2Change();
    void MaskEdit3Change();
    void MaskEdit4Change();
    void CheckBox1Click();
    void CheckBox2Click();
    void CheckBox3Click();
    void CheckBox4Click();
    void ComboBox7Change(int index);
    void ComboBox8Change(int index);
    void ComboBox9Change(int index);
    void ComboBox10Change(int index);
    void ComboBox11Change(int index);
    void ComboBox12Change(int index);
    void ComboBox13Change(int index);
    void ComboBox14Change(int index);
    void Edit2Change();
    void Edit3Change();
    void Edit5Change();
    void Edit6Change();

    // Event page.
    void Button10Click();
    void Button11Click();
    void Button14Click();
    void Button19Click();
    void Button20Click();
    void Button21Click();
    void Timer2Timer();

    // Menu "Plik".
    void N3Click();
    void N2Click();
    void ImportujplikzTAV5001Click();
    void Raportkonfiguracji1Click();
    void AktualizujoprogramowaniewTAV1000U1Click();
    // Menu "Pomoc" (help_menu.cpp): the guide in a window of its own, and
    // the version with the licences.
    void PomocTrescClick();
    void OprogramieClick();

  private:
    void ConnectHandlers();
    // Connects `signal` of `sender` to `handler`, after which the history
    // notes what the handler changed in the image (form_wiring.h).
    template <typename Sender, typename Signal, typename... Args>
    void ConnectEdit(Sender* sender, Signal signal, void (TForm1::*handler)(Args...));
    void ConnectClockEventRows();
    // The lists and fixed texts of each page, filled by FormCreate.
    void FormCreate();
    void FillScenarioPage();
    void FillRemotesPage();
    void FillSettingsPage();
    void FillDumpView();
    // The port list: COM1..COM15, COM1 selected, then RefreshPortList.
    void FillPortList();
    void ShowRemoteHint(const QHelpEvent& event);
    void SetDumpStart(std::int32_t offset);

    // Scenarios page (scenarios_page.cpp).
    // Parses the 32 body cells of StringGrid3 into the current scenario's
    // timers and delays, each clamped to its field, and shows them normalised.
    void ReadTimerGrid();
    // One cell of it: timer row 0..7, field 0..3. A cell marked out of
    // range keeps its text and is not stored until it fits.
    void ReadTimerCell(int row, int field);
    // Marks the cell when its typed text is no number in the field's range;
    // true when it fits.
    bool CheckTimerCell(int row, int field);
    // False, after naming the cell, while a marked cell holds the timers.
    bool TypedTimersSendable();
    // Reads the timer-grid cells the user typed into since the grid was last
    // drawn or read (committing an open editor first), so that nothing typed
    // is lost by a redraw or left unsent. Cells not typed into stay as stored.
    void TakeTypedTimers();
    // The cell edit of ComboBox3..5: field 0 mode, 1 timer, 2 delay := index.
    void EditSelectedCell(int field, int index);

    // Device settings page (settings_page.cpp).
    // Entry `event` of the clock events from the row's pattern, on/off box
    // and button; moves the dump view to the clock records.
    void StoreClockEventRow(int event);
    // Byte 3 of the row's clock-transmitter record from its scenario list.
    void StoreClockEventScenario(int event);
    // The row's name into its clock-transmitter record.
    void StoreClockEventName(int event);
    // A pattern the user typed: stored, then checked where it is typed; an
    // impossible part marks the field and is named beside the rows.
    void SetUpPatternChecks();
    void SetUpHelpMenu();
    // Names and descriptions for a screen reader (accessible_names.cpp).
    void SetUpAccessibleNames();
    // "Znajdź TAV-1000R" beside the port list (port_finder.cpp): asks each
    // present port in turn and selects the first that answers.
    void SetUpPortFinder();
    void FindReceiverClick();
    // Remote 0..999 becomes the selected one and is shown.
    void SelectRemote(int remote);
    void TypePattern(int event);
    void MarkPattern(int event);
    // False, after saying which event and part, while a typed pattern holds
    // an impossible or missing part: nothing may be sent then.
    bool TypedPatternsSendable();

    // Menu "Edycja" (edit_history.cpp).
    void SetUpEditMenu();
    // A step of the history for what the last handler changed in the image.
    void RecordEdits();
    // Around a whole replacement of records (a load, a read, an import):
    // one step named `name`; `fromOutside` when the image now came whole
    // from the receiver or a file.
    void BeginReplacement();
    void EndReplacement(const QString& name, bool fromOutside);
    // Puts a step's records back (`before`) or again, and redraws.
    void ApplyEdit(const std::vector<RecordChange>& changes, bool before);

    // Device operations (device_operations.cpp): the stop control beside the
    // bar, shown while one runs; a read's records of workImage_ taken into
    // the image, and the pages they changed redrawn.
    void SetUpStopControl();
    void ShowStopControl(bool shown);
    void TakeReadRecords(int first, int last);
    void ShowReadRecords(const ReadPages& pages);

    // Edits that would be lost (unsaved_edits.cpp). Records first..last are
    // now held by the receiver as the image holds them.
    void MarkRecordsClean(int first, int last);
    // Before `what` replaces the first `bytes` of records first..last: true
    // when it may go on (no unsaved edits there, or saved, or the user
    // discards them).
    bool MayReplaceEdits(int first, int last, const QString& what, std::size_t bytes = kRecordSize);
    // Before a whole write of a copy that came from neither the receiver
    // nor a file: Tak/Nie, "Nie" preselected.
    bool MayWriteWholeCopy();

    // Status bar and title (status_bar.cpp).
    void SetUpStatusBar();
    void ShowModified();

    // Remembered between runs (window_settings.cpp).
    std::unique_ptr<QSettings> OpenSettings() const;
    void RestoreWindowSettings();
    void SaveWindowSettings();
    // The last folder of one kind of file dialog; empty: none yet.
    QString FolderFor(const QString& kind) const;
    void RememberFolder(const QString& kind, const QString& file);

    // Menu "Plik" (file_menu.cpp).
    void AddRecentFile(const QString& path);
    void ShowRecentFiles();
    void OpenRecentFile(int index);
    void DropFile(const QString& path);
    bool WriteSettingsFileTo(const QString& path);
    // Closing with unsaved edits offers to save them to a file first; false
    // keeps the window open.
    bool FormCloseQuery();
    // The settings-file save with its dialog; true when the file was written.
    bool SaveSettingsFileAs();
    void SetUpFileMenu();
    void RefreshAfterFileRead(std::int32_t dumpStart);
    void ShowCannotOpen(const QString& path);

    // Event page (event_page.cpp).
    void SetOnlineButtons();
    void SetOfflineButtons();
    std::array<QPushButton*, 15> ReceptionButtons() const;
    // Reception off, port closed, off-line buttons: the stop button's work.
    void StopOnlineReception();

    std::unique_ptr<Ui::TForm1> ui_;
    WindowServices services_;
    MemoryImage& image_;
    // The image as the last read, load, save or write left it: what is known
    // to be held outside the window. Record by record for partial transfers.
    MemoryImage cleanImage_;
    // The settings file loaded or saved last, named in the configuration report.
    QString settingsFileName_;
    SelectionState selection_;
    bool onlineReceptionActive_ = false;
    bool placed_ = false;           // the first show has fitted the window to its screen
    std::bitset<4> patternsTyped_;  // patterns typed since shown from the image
    QLabel* patternProblem_ = nullptr;
    QDialog* helpWindow_ = nullptr;
    QString logFolder_;  // where the last log was saved or chosen
    QtOperationHost host_;
    SerialLink link_;
    DeviceContext context_;
    QTimer* Timer2 = nullptr;
    // The running operation's copy of the image, and the records it read.
    MemoryImage workImage_;
    std::vector<std::pair<int, int>> recordsRead_;
    bool operationRunning_ = false;
    unsigned runningOperation_ = 0;  // a device operation's number while it runs
    std::atomic<bool> stopRequested_{false};
    // A close asked for during an operation, which was told to stop.
    bool closeAfterOperation_ = false;
    QPushButton* stopButton_ = nullptr;  // PRZERWIJ
    QPushButton* findButton_ = nullptr;  // Znajdź TAV-1000R
    QLabel* progressText_ = nullptr;
    QWidget* portList_ = nullptr;  // ComboBox1's drop-down list
    TFileDialog OpenDialog1;
    TFileDialog SaveDialog1;

    // The undo history, the image as it last saw it, and whether it is
    // noting nothing (while it puts a step back, or a replacement runs).
    QUndoStack* history_ = nullptr;
    MemoryImage historyImage_;
    bool historyPaused_ = false;
    // The image came whole from the receiver or a file (or was given to the
    // window), not from the program's empty start.
    bool imageFromOutside_ = false;
    QLabel* openFileText_ = nullptr;
    QLabel* portStateText_ = nullptr;
    QLabel* lastOperationText_ = nullptr;
    QHash<QString, QString> folders_;  // last folder of each kind of file
    QRect rememberedPlace_;            // frame top-left and client size
    QStringList recentFiles_;
    QAction* recentSeparator_ = nullptr;
    std::vector<QAction*> recentActions_;

    // LineAccumulator and HistoryState of on-line reception.
    EventLineAssembler eventLines_;
    // False while RichEdit1 holds no line; an empty first line leaves the
    // document empty too.
    bool eventViewHasLines_ = false;

    // What each cell of the remotes map shows now: 0 nothing yet, '#' or '_'.
    std::array<char, kRemoteCount> remoteCellShown_{};
    // Dump view texts of every byte value.
    std::array<QString, 256> hexText_;
    std::array<QString, 256> charText_;
    // Timer-grid cells typed into and not yet read, bit i * 4 + f.
    std::bitset<kTimerRows * kTimerFields> timerCellsTyped_;
};

}  // namespace tav::ui
