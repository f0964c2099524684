// The event page against a scripted port on a virtual clock: start and stop,
// the history button, the button sets, the view, saving and printing.

#include <QAction>
#include <QFile>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>

#include "link/dispatcher.h"
#include "link/event_lines.h"
#include "link/firmware.h"
#include "link/testing/fake_serial_port.h"
#include "tests/support/file_size_limit.h"
#include "ui/form_text.h"
#include "window_fixture.h"

namespace tav::ui::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ToBytes(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

const Message kBusyPort{U("Niewłaściwa nazwa portu lub port jest aktywny.\n\nPrzyczyna: port "
                          "zajęty przez inny program."),
                        U("Błąd")};
const Message kNoAnswer{U("TAV-1000R nie odpowiada!"), U("Błąd")};
const Message kReceiving{U("Odbieram zdarzenia."), U("Błąd")};
const Message kExists{U("Plik już istnieje! Zapisz pod inną nazwą!"), U("BŁĄD!")};
const Message kSaved{U("Plik ze zdarzeniami zostal zapisany!"), U("OK")};

class EventPageTest : public WindowTest {
  protected:
    void SetUp() override {
        resolver->Set(0, "/dev/fake-receiver");
        device.SetResponder([this](fake::FakeSerialDevice& d, std::span<const std::uint8_t> b) {
            if (answerVersion && b.size() == 1 && b[0] == '?') {
                d.Deliver(Bytes(version.begin(), version.end()));
            }
        });
        WindowServices s = RecordingServices();
        s.timing = clock;
        s.makePort = device.Factory();
        s.showMessage = [this](QWidget*, const QString& text, const QString& caption) {
            messages.push_back({text, caption});
            if (duringMessage) {
                duringMessage();
            }
        };
        s.saveFileName = [this](QWidget*, const FileDialogRequest& r) {
            saveRequests.push_back(r);
            if (duringSaveDialog) {
                duringSaveDialog();
            }
            return savePath;
        };
        s.previewAndPrint = [this](QWidget*, const QString& title, const QString& text,
                                   const QFont& font) {
            printedTitle = title;
            printedFont = font;
            if (pdfPath.isEmpty()) {
                return false;  // no printer
            }
            QPrinter printer;
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdfPath);
            return PrintPlainText(printer, title, text, font);
        };
        // A build that carries firmware: its menu item stays usable during
        // reception, and the dispatcher refuses it.
        static const std::vector<std::uint8_t> firmware(kFirmwareSize, 0x5A);
        s.firmware = firmware;
        MakeForm(std::move(s));
        // Polls run when a test says so, except where it lets the timer run.
        timer = form->findChild<QTimer*>(QStringLiteral("Timer2"));
        ASSERT_NE(timer, nullptr);
        timer->stop();
        view = Find<QPlainTextEdit>("RichEdit1");
    }

    void ClearView() { QMetaObject::invokeMethod(form.get(), "Button21Click"); }
    void Tick() { QMetaObject::invokeMethod(form.get(), "Timer2Timer", Qt::DirectConnection); }
    void Start(std::uint8_t major = 0x01, std::uint8_t minor = 0x26) {
        version[4] = major;
        version[5] = minor;
        Click("Button10");
    }
    // Bytes from the receiver, taken by the next tick.
    void Receive(std::string_view text) {
        device.Deliver(ToBytes(text));
        Tick();
    }
    // Ticks until everything delivered has been taken.
    void Drain() {
        while (device.Queued() > 0) {
            Tick();
        }
    }
    QStringList ViewLines() const { return view->toPlainText().split(QLatin1Char('\n')); }
    bool Enabled(const char* button) { return Find<QPushButton>(button)->isEnabled(); }
    // What the tool has sent since `mark` bytes.
    Bytes WrittenSince(std::size_t mark) const {
        const Bytes all = device.Written();
        return Bytes(all.begin() + static_cast<long>(std::min(mark, all.size())), all.end());
    }

    std::shared_ptr<fake::FakeClock> clock = std::make_shared<fake::FakeClock>();
    fake::FakeSerialDevice device{*clock};
    std::array<std::uint8_t, 6> version{0x76, 0x07, 0x01, 0x00, 0x01, 0x26};
    bool answerVersion = true;
    std::function<void()> duringMessage;
    std::function<void()> duringSaveDialog;
    std::vector<FileDialogRequest> saveRequests;
    QString savePath;
    QString pdfPath;
    QString printedTitle;
    QFont printedFont;
    QTimer* timer = nullptr;
    QPlainTextEdit* view = nullptr;
};

TEST_F(EventPageTest, HistoryRequestFollowsTheSoftwareVersion) {
    struct Row {
        const char* name;
        std::uint8_t major;
        std::uint8_t minor;
        bool sent;
    };
    const Row rows[] = {
        {"1.11", 0x01, 0x11, false}, {"1.12", 0x01, 0x12, true},  {"1.29", 0x01, 0x29, true},
        {"2.00", 0x02, 0x00, true},  {"0.12", 0x00, 0x12, false},
    };
    const Message notice{FromUtf8(kHistoryVersionNotice), QString()};
    for (const Row& r : rows) {
        ClearView();
        messages.clear();
        Start(r.major, r.minor);
        ASSERT_TRUE(form->OnlineReceptionActive()) << r.name;
        const std::size_t mark = device.Written().size();
        Click("Button14");
        if (r.sent) {
            EXPECT_TRUE(messages.empty()) << r.name;
            EXPECT_EQ(WrittenSince(mark), ToBytes("hi")) << r.name;
            EXPECT_EQ(ViewLines(), QStringList{FromUtf8(kHistoryStartMarker)}) << r.name;
        } else {
            EXPECT_EQ(messages, std::vector<Message>{notice}) << r.name;
            EXPECT_TRUE(WrittenSince(mark).empty()) << r.name;
            EXPECT_EQ(view->toPlainText(), QString()) << r.name;
        }
        // Reception goes on either way.
        EXPECT_TRUE(form->OnlineReceptionActive()) << r.name;
        EXPECT_TRUE(device.IsOpen()) << r.name;
        Click("Button11");
    }
}

TEST_F(EventPageTest, FailedStartLeavesReceptionOffAndTheButtonsAsTheyWere) {
    struct Row {
        const char* name;
        bool portHeldElsewhere;
        bool answers;
        Message message;
        Bytes sent;
    };
    const Row rows[] = {
        {"port in use", true, true, kBusyPort, {}},
        {"receiver silent", false, false, kNoAnswer, {'?'}},
    };
    for (const Row& r : rows) {
        messages.clear();
        const std::size_t mark = device.Written().size();
        answerVersion = r.answers;
        std::unique_ptr<SerialPort> other;
        if (r.portHeldElsewhere) {
            other = device.Factory()();
            ASSERT_TRUE(other->Open("/dev/fake-receiver", nullptr));
        }
        Click("Button10");
        EXPECT_EQ(messages, std::vector<Message>{r.message}) << r.name;
        EXPECT_EQ(WrittenSince(mark), r.sent) << r.name;
        EXPECT_FALSE(form->OnlineReceptionActive()) << r.name;
        // As the form left them: both reception buttons usable, history not.
        EXPECT_TRUE(Enabled("Button10")) << r.name;
        EXPECT_TRUE(Enabled("Button11")) << r.name;
        EXPECT_FALSE(Enabled("Button14")) << r.name;
        EXPECT_TRUE(Enabled("Button3")) << r.name;
        if (other) {
            other->Close();
        }
        EXPECT_FALSE(device.IsOpen()) << r.name;
    }
}

TEST_F(EventPageTest, ReceptionSwapsTheButtonSetsAndTheDispatcherRefuses) {
    // Button -> enabled in the on-line set; the off-line set is the opposite.
    const std::pair<const char*, bool> sets[] = {
        {"Button1", false},  {"Button2", false},  {"Button3", false},  {"Button4", false},
        {"Button7", false},  {"Button8", false},  {"Button13", false}, {"Button17", false},
        {"Button18", false}, {"Button16", false}, {"Button15", false}, {"Button12", false},
        {"Button10", false}, {"Button11", true},  {"Button14", true},
    };
    const auto expectSet = [&](bool online, const char* when) {
        for (const auto& [button, inOnline] : sets) {
            EXPECT_EQ(Enabled(button), online == inOnline) << button << " " << when;
            // A greyed button says why; an enabled one has nothing to say.
            EXPECT_EQ(Find<QPushButton>(button)->toolTip().isEmpty(), online == inOnline)
                << button << " " << when;
        }
        for (const char* button : {"Button6", "Button19", "Button20"}) {  // in neither set
            EXPECT_TRUE(Enabled(button)) << button << " " << when;
        }
        EXPECT_TRUE(Find<QAction>("AktualizujOpr")->isEnabled()) << when;
    };
    Click("Button11");  // before any start: the off-line set and nothing else
    expectSet(false, "stop before start");
    EXPECT_EQ(device.Count(fake::PortCall::Open), 0);
    EXPECT_TRUE(messages.empty());
    Start();
    expectSet(true, "after start");
    const Bytes before = device.Written();
    for (unsigned op :
         {1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u, 9u, 10u, 11u, 12u, unsigned{kUpdateFirmware}}) {
        messages.clear();
        form->RunDeviceOperation(op);
        EXPECT_EQ(messages, std::vector<Message>{kReceiving}) << op;
    }
    EXPECT_EQ(device.Written(), before);
    EXPECT_TRUE(device.IsOpen());
    Click("Button11");
    expectSet(false, "after stop");
    EXPECT_FALSE(device.IsOpen());
}

TEST_F(EventPageTest, ViewShowsWindows1250LinesAndTheEndMarkersEmptyLine) {
    Start();
    Receive("\r\nZa\xbf\xf3\xb3\xe6 g\xea\x9c\x6c\xb9 ja\x9f\xf1\r\nTAV-1000 v1.26\r\nhalf");
    Tick();  // silent: the end marker follows the banner
    EXPECT_EQ(ViewLines(), (QStringList{QString(), U("Zażółć gęślą jaźń"), "TAV-1000 v1.26",
                                        FromUtf8(kHistoryEndMarker).chopped(1), QString()}));
    Click("Button11");
    Start();  // the half line is dropped, the view is kept
    Receive("next\r\n");
    EXPECT_EQ(ViewLines().size(), 6);
    EXPECT_EQ(ViewLines().back(), "next");
}

TEST_F(EventPageTest, ViewFollowsTheNewestOfAHundredThousandLinesUnlessScrolledUp) {
    Start();
    const auto lines = [&](int from, int count) {
        std::string text;
        for (int i = from; i < from + count; ++i) {
            text += "2026-12-08 10:30:00 pilot " + std::to_string(i) + "\r\n";
        }
        device.Deliver(ToBytes(text));
        Drain();
    };
    QScrollBar& bar = *view->verticalScrollBar();
    lines(0, 100000);
    ASSERT_EQ(view->blockCount(), 100000);
    EXPECT_EQ(bar.value(), bar.maximum());
    lines(100000, 1);
    EXPECT_EQ(bar.value(), bar.maximum());
    bar.setValue(10);  // the user reads older lines
    lines(100001, 50);
    EXPECT_EQ(bar.value(), 10);
    EXPECT_EQ(view->document()->lastBlock().text(), "2026-12-08 10:30:00 pilot 100050");
}

TEST_F(EventPageTest, HangUpStopsReceptionWithOneMessageAndKeepsTheLines) {
    Start();
    Receive("pierwsze\r\ndrugie\r\n");
    device.hungUp = true;
    Tick();
    Tick();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, U("Błąd"));
    EXPECT_FALSE(form->OnlineReceptionActive());
    EXPECT_FALSE(device.IsOpen());
    EXPECT_TRUE(Enabled("Button10"));
    EXPECT_EQ(ViewLines(), (QStringList{"pierwsze", "drugie"}));
}

TEST_F(EventPageTest, LinesKeepArrivingWhileAMessageBoxIsOpen) {
    Start(0x01, 0x11);
    timer->start();
    bool arrived = false;
    duringMessage = [&] {
        device.Deliver(ToBytes("w trakcie komunikatu\r\n"));
        arrived = QTest::qWaitFor([&] { return view->toPlainText().contains("komunikatu"); });
    };
    Click("Button14");  // the version notice
    EXPECT_TRUE(arrived);
    EXPECT_EQ(messages.size(), 1u);
}

// ---- Saving and printing ---------------------------------------------------

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

TEST_F(EventPageTest, SaveWritesANewFileOnly) {
    QTemporaryDir dir;
    const QByteArray old = "stara zawartosc\r\n";
    enum Before { kNone, kReadable, kUnreadable };
    struct Row {
        const char* file;
        const char* lines;  // after a history request, then a silent tick
        Before before;
        std::optional<Message> message;  // none: an error naming the file
        QByteArray content;              // afterwards
        rlim_t sizeLimit = RLIM_INFINITY;
    };
    const Row rows[] = {
        {"empty.txt", nullptr, kNone, kSaved, ""},
        {"history.txt", "TAV-1000 v1.26\r\nZdarzenie \xb9\xea\r\n", kNone, kSaved,
         "--- poczatek historii zdarzen ---\r\nTAV-1000 v1.26\r\nZdarzenie \xb9\xea\r\n"
         "--- koniec historii zdarzen ---\r\n\r\n"},
        {"readable.txt", "nowe\r\n", kReadable, kExists, old},
        {"unreadable.txt", "nowe\r\n", kUnreadable, kExists, old},
        {"brak/log.txt", "nowe\r\n", kNone, std::nullopt, "<missing>"},        // cannot create
        {"full.txt", "dluga linia\r\n", kNone, std::nullopt, "<missing>", 8},  // write fails
    };
    for (const Row& r : rows) {
        const QString path = dir.filePath(QString::fromLatin1(r.file));
        ClearView();
        messages.clear();
        if (r.lines != nullptr) {
            Start();
            Click("Button14");
            Receive(r.lines);
            Tick();
            Click("Button11");
        }
        if (r.before != kNone) {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(old);
            f.close();
            f.setPermissions(r.before == kUnreadable ? QFileDevice::Permissions()
                                                     : f.permissions());
        }
        const QString shown = view->toPlainText();
        savePath = path;
        saveRequests.clear();
        // An existing file chosen brings the dialog back: cancelled there.
        duringSaveDialog = [&] {
            if (saveRequests.size() > 1) {
                savePath.clear();
            }
        };
        {
            const testsupport::FileSizeLimit limit(r.sizeLimit);
            Click("Button19");
        }
        duringSaveDialog = nullptr;
        EXPECT_FALSE(saveRequests.at(0).confirmOverwrite) << r.file;
        if (r.message == kExists) {
            ASSERT_EQ(saveRequests.size(), 2u) << r.file;
            EXPECT_EQ(saveRequests[1].fileName, dir.filePath("zdarzenia-2026-12-08.txt"));
        }
        QFile(path).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);

        ASSERT_EQ(messages.size(), 1u) << r.file;
        EXPECT_EQ(messages[0], r.message.value_or(Message{messages[0].text, U("Błąd")})) << r.file;
        EXPECT_TRUE(r.message || messages[0].text.contains(path)) << r.file;
        EXPECT_EQ(ReadAll(path), r.content) << r.file;
        EXPECT_EQ(view->toPlainText(), shown) << r.file;
    }
    EXPECT_EQ(saveRequests.at(0).title, "Zapisywanie zdarzen z TAV-1000");
    EXPECT_EQ(saveRequests.at(0).defaultSuffix, "txt");
    EXPECT_TRUE(saveRequests.at(0).filter.contains("(*.txt)"));
    messages.clear();
    savePath.clear();  // cancelled: nothing at all
    Click("Button19");
    EXPECT_TRUE(messages.empty());
}

TEST_F(EventPageTest, SaveOffersTheNextFreeNameInTheLogsFolder) {
    QTemporaryDir dir;
    savePath = dir.filePath("pierwszy.txt");
    Click("Button19");
    const struct {
        const char* existing;  // made before the next save
        const char* offered;
    } rows[] = {
        {nullptr, "zdarzenia-2026-12-08.txt"},
        {"zdarzenia-2026-12-08.txt", "zdarzenia-2026-12-08-2.txt"},
        {"zdarzenia-2026-12-08-2.txt", "zdarzenia-2026-12-08-3.txt"},
    };
    for (const auto& r : rows) {
        if (r.existing != nullptr) {
            QFile f(dir.filePath(r.existing));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        }
        saveRequests.clear();
        savePath.clear();
        Click("Button19");
        ASSERT_EQ(saveRequests.size(), 1u);
        EXPECT_EQ(saveRequests[0].fileName, dir.filePath(r.offered));
    }
}

TEST_F(EventPageTest, SaveDuringReceptionHoldsWhatArrivedWhileTheDialogWasOpen) {
    QTemporaryDir dir;
    Start();
    Receive("przed\r\n");
    timer->start();
    duringSaveDialog = [&] {
        device.Deliver(ToBytes("w trakcie\r\n"));
        EXPECT_TRUE(QTest::qWaitFor([&] { return view->toPlainText().contains("trakcie"); }));
    };
    savePath = dir.filePath("online.txt");
    Click("Button19");
    EXPECT_EQ(messages, std::vector<Message>{kSaved});
    EXPECT_EQ(ReadAll(savePath), "przed\r\nw trakcie\r\n");
    EXPECT_TRUE(form->OnlineReceptionActive());
}

QString RunTool(const QString& tool, const QStringList& args) {
    QProcess p;
    p.start(tool, args);
    return p.waitForFinished(30000) ? QString::fromUtf8(p.readAllStandardOutput()) : QString();
}

TEST_F(EventPageTest, PrintPutsEveryLineOnAsManyPagesAsNeeded) {
    QTemporaryDir dir;
    struct Row {
        const char* name;
        int lines;
        bool printer;
        int minPages;
    };
    const Row rows[] = {{"one", 3, true, 1}, {"several", 250, true, 3}, {"none", 3, false, 0}};
    for (const Row& r : rows) {
        ClearView();
        messages.clear();
        Start();
        std::string text;
        for (int i = 0; i < r.lines; ++i) {
            text += "zdarzenie nr " + std::to_string(i) + " gara\xbf\r\n";
        }
        device.Deliver(ToBytes(text));
        Drain();
        Click("Button11");
        const QString shown = view->toPlainText();
        pdfPath = r.printer ? dir.filePath(QString::fromLatin1(r.name) + ".pdf") : QString();
        Click("Button20");
        EXPECT_EQ(printedTitle, "TAV-2000 zdrzenia") << r.name;
        EXPECT_EQ(printedFont, view->font()) << r.name;
        EXPECT_EQ(view->toPlainText(), shown) << r.name;
        EXPECT_TRUE(messages.empty()) << r.name;
        // No printer: the offer of a PDF, declined.
        EXPECT_EQ(questions.size(), r.printer ? 0u : 1u) << r.name;
        questions.clear();
        if (!r.printer) {
            continue;
        }
        EXPECT_TRUE(RunTool("pdfinfo", {pdfPath})
                        .contains(QRegularExpression("Title: +TAV-2000 zdrzenia")));
        const QString printed = RunTool("pdftotext", {"-layout", pdfPath, "-"});
        EXPECT_GE(printed.count(QLatin1Char('\f')), r.minPages) << r.name;
        qsizetype from = 0;
        for (int i = 0; i < r.lines; ++i) {
            const QString line = U("zdarzenie nr ") + QString::number(i) + U(" garaż");
            from = printed.indexOf(line, from);
            ASSERT_GE(from, 0) << r.name << ": " << line.toStdString();
        }
    }
}

// Words of a PDF with their boxes, in points from the page's top left corner.
struct Word {
    QString text;
    double xMin, yMin, xMax, yMax;
    double pageWidth, pageHeight;
};

std::vector<Word> PdfWords(const QString& pdf) {
    const QString html = RunTool("pdftotext", {"-bbox", pdf, "-"});
    std::vector<Word> words;
    double width = 0;
    double height = 0;
    static const QRegularExpression page(
        QStringLiteral(R"re(<page width="([\d.]+)" height="([\d.]+)">)re"));
    static const QRegularExpression word(QStringLiteral(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    for (const QString& line : html.split(QLatin1Char('\n'))) {
        if (const auto m = page.match(line); m.hasMatch()) {
            width = m.captured(1).toDouble();
            height = m.captured(2).toDouble();
        } else if (const auto w = word.match(line); w.hasMatch()) {
            words.push_back({w.captured(5), w.captured(1).toDouble(), w.captured(2).toDouble(),
                             w.captured(3).toDouble(), w.captured(4).toDouble(), width, height});
        }
    }
    return words;
}

TEST_F(EventPageTest, PrintoutKeepsMarginsAndNamesEveryPage) {
    QTemporaryDir dir;
    QString text;
    for (int i = 0; i < 250; ++i) {
        text += U("zdarzenie nr ") + QString::number(i) + U(" garaż\n");
    }
    const QString pdf = dir.filePath(QStringLiteral("wydruk.pdf"));
    ASSERT_TRUE(PrintPlainTextToPdf(pdf, U("TAV-2000 zdrzenia"), text, view->font(),
                                    QDateTime(QDate(2026, 12, 8), QTime(10, 30))));
    const QString printed = RunTool("pdftotext", {"-layout", pdf, "-"});
    const QStringList pages = printed.split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    ASSERT_GE(pages.size(), 3);
    const auto count = pages.size();
    for (qsizetype p = 0; p < count; ++p) {
        const QString& page = pages[p];
        EXPECT_TRUE(page.contains(U("TAV-2000 zdrzenia"))) << p;
        EXPECT_TRUE(page.contains(U("08.12.2026 10:30"))) << p;
        EXPECT_TRUE(page.contains(U("strona %1 z %2").arg(p + 1).arg(count)))
            << p << page.toStdString();
    }
    const double margin = 15.0 / 25.4 * 72.0 - 0.5;  // in points, and a rounding's room
    const std::vector<Word> words = PdfWords(pdf);
    ASSERT_GT(words.size(), 250u * 3);
    double left = 1e9, top = 1e9, right = 1e9, bottom = 1e9;
    for (const Word& w : words) {
        left = std::min(left, w.xMin);
        top = std::min(top, w.yMin);
        right = std::min(right, w.pageWidth - w.xMax);
        bottom = std::min(bottom, w.pageHeight - w.yMax);
    }
    EXPECT_GE(left, margin);
    EXPECT_GE(top, margin);
    EXPECT_GE(right, margin);
    EXPECT_GE(bottom, margin);
}

// Without a printer the same pages can go into a PDF chosen in a save dialog.
TEST_F(EventPageTest, WithoutAPrinterThePagesCanBeSavedAsAPdf) {
    QTemporaryDir dir;
    struct Row {
        const char* name;
        QMessageBox::StandardButton answer;
        const char* chosen;  // in the save dialog; nullptr: cancelled
        bool dialog;
        bool written;
    };
    const Row rows[] = {
        {"declined", QMessageBox::No, "nie.pdf", false, false},
        {"dialog cancelled", QMessageBox::Yes, nullptr, true, false},
        {"saved", QMessageBox::Yes, "wydruk.pdf", true, true},
    };
    Start();
    Receive("zdarzenie 1\r\nzdarzenie 2\r\n");
    Click("Button11");
    for (const Row& r : rows) {
        questions.clear();
        saveRequests.clear();
        messages.clear();
        answer = r.answer;
        savePath = r.chosen == nullptr ? QString() : dir.filePath(QString::fromLatin1(r.chosen));
        Click("Button20");
        ASSERT_EQ(questions.size(), 1u) << r.name;
        EXPECT_TRUE(questions[0].text.contains(U("brak dostępnej drukarki"))) << r.name;
        EXPECT_TRUE(questions[0].text.contains(U("PDF"))) << r.name;
        ASSERT_EQ(saveRequests.size(), r.dialog ? 1u : 0u) << r.name;
        if (r.dialog) {
            EXPECT_EQ(saveRequests[0].defaultSuffix, "pdf") << r.name;
            EXPECT_EQ(saveRequests[0].fileName, "zdarzenia-2026-12-08.pdf") << r.name;
        }
        // Once saved, the message says where: the dialog is gone by then.
        ASSERT_EQ(messages.size(), r.written ? 1u : 0u) << r.name;
        if (r.written) {
            EXPECT_TRUE(messages[0].text.contains(QDir::toNativeSeparators(savePath))) << r.name;
        }
        EXPECT_EQ(!savePath.isEmpty() && QFile::exists(savePath), r.written) << r.name;
        if (r.written) {
            const QString printed = RunTool("pdftotext", {"-layout", savePath, "-"});
            EXPECT_TRUE(printed.contains(U("zdarzenie 2")));
            EXPECT_TRUE(printed.contains(U("strona 1 z 1")));
        }
    }
}

// The save dialog is shared with the settings files: the log's save offers a
// log's name, not the settings file saved before.
TEST_F(EventPageTest, LogSaveDialogOffersALogName) {
    QTemporaryDir dir;
    savePath = dir.filePath(QStringLiteral("site.tv2"));
    Find<QAction>("N3")->trigger();
    savePath.clear();
    Click("Button19");
    ASSERT_EQ(saveRequests.size(), 2u);
    EXPECT_EQ(saveRequests[0].defaultSuffix, "tv2");
    EXPECT_EQ(saveRequests[1].fileName, "zdarzenia-2026-12-08.txt");
    EXPECT_FALSE(saveRequests[1].fileName.contains(QStringLiteral("site")));
}

}  // namespace
}  // namespace tav::ui::testing
