// The configuration report: its words read back from the PDF with pdftotext,
// and the menu item "Raport konfiguracji…" with a printer, without one, and
// straight into a PDF.
#include <QAction>
#include <QDir>
#include <QMenu>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTranslator>

#include "print/configuration_report.h"
#include "print/page_print.h"
#include "print/translation.h"
#include "sample_configuration.h"
#include "window_fixture.h"

namespace tav::ui::testing {
namespace {

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QString PdfText(const QString& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    return p.waitForFinished(30000) ? QString::fromUtf8(p.readAllStandardOutput()) : QString();
}

// The sample, and 60 more remotes with Polish names over scenarios 0, 1 and
// 3, enough for several pages.
MemoryImage ManyRemotes() {
    MemoryImage image = SampleConfiguration();
    for (int i = 0; i < 60; ++i) {
        const auto scenario = static_cast<std::uint8_t>(i % 3 == 2 ? 3 : i % 3);
        PutRemote(image, 100 + i, {0x10, 0x20, static_cast<std::uint8_t>(i), scenario},
                  (U("Pilot ŻÓŁW źdźbło nr ") + QString::number(i)).toUtf8().constData());
    }
    return image;
}

QStringList RemoteNames(const MemoryImage& image) {
    QStringList names;
    for (int r = 0; r < kRemoteCount; ++r) {
        if (IsRemoteSlotUsed(image, r)) {
            names << DecodeDeviceText(ReadDeviceText(image, TextFieldOffset(r)));
        }
    }
    return names;
}

TEST(ConfigurationReport, ReadBackFromThePdf) {
    QTemporaryDir dir;
    const struct Row {
        const char* what;
        MemoryImage image;
        print::ReportSource source;
        std::vector<const char*> shown;
        int minPages;
    } rows[] = {
        {"sample from a file",
         ManyRemotes(),
         {U("C:\\instalacje\\Łódź.tv2"), {}, {}, QDateTime(QDate(2026, 12, 8), QTime(10, 30))},
         {"Settings file: C:\\instalacje\\Łódź.tv2", "Date: 08.12.2026 10:30",
          "Remotes in use: 65 of 1000", "Scenario 0 (remotes: 23)", "Scenario 1 (remotes: 21)",
          "Scenario 2 (remotes: 1)", "Scenario 3 (remotes: 20)",
          "button 1 relay 1: monostabilny, timer 0: 00:00:01.0",
          "button 4 relay 4: monostabilny, timer 0: 00:00:01.0\nother buttons: brak akcji",
          "Zamknięcie na noc", "transmitter 1003: 2026-12-24 16:00:00, button 12, scenario 2",
          "mode: NAPIS UŻYTKOWNIKA", "user text: \"Witamy! TAV-1000R demo\"",
          "installer's signature", "customer's signature"},
         2},
        {"empty, read from a receiver",
         MemoryImage(),
         {{},
          U("COM3"),
          U("hardw.ver:1.00 soft.ver:1.26"),
          QDateTime(QDate(2026, 1, 2), QTime(8, 5))},
         {"Read from the receiver on: COM3", "Receiver version: hardw.ver:1.00 soft.ver:1.26",
          "Remotes in use: 0 of 1000\n-------------------------\nnone", "user text: none"},
         1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const QString pdf = dir.filePath(QStringLiteral("raport.pdf"));
        ASSERT_TRUE(print::SaveConfigurationReportPdf(pdf, row.image, row.source));
        const QString text = PdfText(pdf);
        for (const QString& name : RemoteNames(row.image)) {
            EXPECT_TRUE(text.contains(name)) << name.toStdString();
        }
        // Lines as pdftotext lays them out: runs of blanks as one.
        QString plain = text;
        plain.replace(QRegularExpression(QStringLiteral("[ ]{2,}")), QStringLiteral(" "));
        for (const char* shown : row.shown) {
            QString wanted = U(shown);
            wanted.replace(QRegularExpression(QStringLiteral("[ ]{2,}")), QStringLiteral(" "));
            EXPECT_TRUE(plain.contains(wanted)) << shown;
        }
        const QStringList pages = text.split(QLatin1Char('\f'), Qt::SkipEmptyParts);
        ASSERT_GE(pages.size(), row.minPages);
        for (qsizetype p = 0; p < pages.size(); ++p) {
            EXPECT_TRUE(pages[p].contains(U("strona %1 z %2").arg(p + 1).arg(pages.size()))) << p;
            EXPECT_TRUE(pages[p].contains(U("TAV-1000R configuration report"))) << p;
        }
    }
}

// With the Polish translation the window loads, the same report in Polish.
TEST(ConfigurationReport, SpeaksPolishWithThePolishTranslation) {
    QTranslator* polish = print::InstallToolTranslation();
    ASSERT_NE(polish, nullptr);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("raport.pdf"));
    print::ReportSource source;
    source.file = U("Łódź.tv2");
    source.at = QDateTime(QDate(2026, 12, 8), QTime(10, 30));
    MemoryImage image = ManyRemotes();
    EncodeClockEvent(image, 0, "20**-**-** 07:00:00", false, 0);
    EncodeClockEvent(image, 1, "20**-**-** 07:00:00", false, 0);
    EncodeClockEvent(image, 2, "20**-**-** 07:00:00", false, 0);
    const bool saved = print::SaveConfigurationReportPdf(pdf, image, source);
    QCoreApplication::removeTranslator(polish);
    delete polish;
    ASSERT_TRUE(saved);
    QString text = PdfText(pdf);
    text.replace(QRegularExpression(QStringLiteral("[ ]{2,}")), QStringLiteral(" "));
    for (const char* shown :
         {"Raport konfiguracji TAV-1000R", "Plik ustawień: Łódź.tv2", "Piloty w użyciu: 65 z 1000",
          "Nr Nazwa Nr seryjny Scenariusz", "Scenariusz 3 (pilotów: 20)",
          "przycisk 1 przekaźnik 1:", "Zdarzenia zegarowe\n------------------\nbrak",
          "tryb: NAPIS UŻYTKOWNIKA", "potwierdzanie zdarzeń: włączone", "podpis instalatora",
          "podpis klienta", "strona 1 z "}) {
        EXPECT_TRUE(text.contains(U(shown))) << shown;
    }
    EXPECT_FALSE(text.contains(U("Remotes in use")));
}

class ReportMenuTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowServices s = RecordingServices();
        s.saveFileName = [this](QWidget*, const FileDialogRequest& r) {
            saveRequests.push_back(r);
            return savePath;
        };
        MakeForm(std::move(s));
        form->image() = SampleConfiguration();
    }
    std::vector<FileDialogRequest> saveRequests;
    QTemporaryDir dir;
    QString savePath;
};

TEST_F(ReportMenuTest, PrintsThroughThePreviewOrSavesAPdf) {
    const struct Row {
        const char* what;
        QMessageBox::StandardButton answer;
        bool printer;
        bool previewed;
        bool pdf;
        const char* message;  // or none
    } rows[] = {
        {"printed", QMessageBox::Yes, true, true, false, nullptr},
        {"no printer: a PDF", QMessageBox::Yes, false, true, true, "Brak dostępnej drukarki"},
        {"a PDF", QMessageBox::No, true, false, true, nullptr},
        {"cancelled", QMessageBox::Cancel, true, false, false, nullptr},
    };
    QAction* item = Find<QAction>("Raportkonfiguracji1");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text(), U("Raport konfiguracji…"));
    EXPECT_TRUE(Find<QMenu>("Plik1")->actions().contains(item));
    int n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        answer = row.answer;
        printerPresent = row.printer;
        previews.clear();
        messages.clear();
        saveRequests.clear();
        savePath = dir.filePath(QStringLiteral("raport%1").arg(++n));
        Find<QAction>("Raportkonfiguracji1")->trigger();
        ASSERT_EQ(questions.size(), static_cast<std::size_t>(n));
        EXPECT_EQ(previews.size(), row.previewed ? 1u : 0u);
        if (row.previewed) {
            EXPECT_TRUE(previews[0].second.contains(U("Brama wjazdowa")));
        }
        EXPECT_EQ(saveRequests.size(), row.pdf ? 1u : 0u);
        if (row.pdf) {
            EXPECT_EQ(saveRequests[0].fileName, U("raport-2026-12-08.pdf"));
            const QString written = savePath + QStringLiteral(".pdf");
            EXPECT_TRUE(PdfText(written).contains(U("Garaż - Kowalski")));
        }
        // A written PDF is named in a last message.
        ASSERT_EQ(messages.size(), (row.message != nullptr ? 1u : 0u) + (row.pdf ? 1u : 0u));
        if (row.message != nullptr) {
            EXPECT_TRUE(messages[0].text.contains(U(row.message)));
        }
        if (row.pdf) {
            EXPECT_TRUE(messages.back().text.contains(
                QDir::toNativeSeparators(savePath + QStringLiteral(".pdf"))));
        }
    }
}

}  // namespace
}  // namespace tav::ui::testing
