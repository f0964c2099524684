// Remote lists as spreadsheets write them: separators, encodings, empty rows
// and names a spreadsheet would take for formulas.
#include "cli/remote_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/memory_image.h"

namespace tav::cli {
namespace {

// The same list as each spreadsheet saves it; "Łódź" and "Żółw" in
// Windows-1250 are a3 f3 64 9f and af f3 b3 77.
TEST(RemotesCsv, EveryFormImportsTheSameImage) {
    struct Row {
        const char* what;
        std::string file;
        CsvFormat found;
    };
    const std::string utf8Rows = "1,12:34:56:7a,2,Łódź\r\n7,aa:bb:cc:dd,1,\"Żółw, mały\"\r\n";
    const Row rows[] = {
        {"comma, UTF-8", "number,serial,scenario,name\r\n" + utf8Rows, {',', CsvEncoding::kUtf8}},
        {"comma, UTF-8 with a mark",
         "\xEF\xBB\xBFnumber,serial,scenario,name\r\n" + utf8Rows,
         {',', CsvEncoding::kUtf8WithMark}},
        {"semicolon, Windows-1250",
         "number;serial;scenario;name\r\n1;12:34:56:7a;2;\xa3\xf3\x64\x9f\r\n"
         "7;aa:bb:cc:dd;1;\xaf\xf3\xb3w, ma\xb3y\r\n",
         {';', CsvEncoding::kWindows1250}},
        {"semicolon, Windows-1250, no header, empty rows",
         ";;;\r\n1;12:34:56:7a;2;\xa3\xf3\x64\x9f\r\n;; ;\r\n"
         "7;aa:bb:cc:dd;1;\"\xaf\xf3\xb3w, ma\xb3y\"\r\n;;;\r\n",
         {';', CsvEncoding::kWindows1250}},
        {"the --excel form: semicolon, UTF-8 with a mark, Polish header",
         "\xEF\xBB\xBFnumer;numer seryjny;scenariusz;nazwa\r\n1;12:34:56:7a;2;Łódź\r\n"
         "7;aa:bb:cc:dd;1;\"Żółw, mały\"\r\n",
         {';', CsvEncoding::kUtf8WithMark}},
        {"semicolon, Windows-1250 after a mark, Polish header as typed",
         "\xEF\xBB\xBF Numer ;Nr seryjny;Scenariusz;Nazwa\r\n1;12:34:56:7a;2;\xa3\xf3\x64\x9f\r\n"
         "7;aa:bb:cc:dd;1;\xaf\xf3\xb3w, ma\xb3y\r\n",
         {';', CsvEncoding::kWindows1250}},
        {"semicolon, UTF-8, a semicolon quoted",
         "number;serial;scenario;name\n1;12:34:56:7a;2;\"Łódź\"\n7;aa:bb:cc:dd;1;Żółw, mały\n",
         {';', CsvEncoding::kUtf8}},
    };
    MemoryImage expected;
    const std::uint8_t first[] = {0x12, 0x34, 0x56, 0x7A};
    std::copy(first, first + 4, expected.RecordAt(0).begin());
    WriteDeviceText(expected, TextFieldOffset(0), "\xa3\xf3\x64\x9f");
    const std::uint8_t seventh[] = {0xAA, 0xBB, 0xCC, 0xDD};
    std::copy(seventh, seventh + 4, expected.RecordAt(6).begin());
    WriteDeviceText(expected, TextFieldOffset(6), "\xaf\xf3\xb3w, ma\xb3y");
    for (const Row& row : rows) {
        MemoryImage image;
        const RemotesImport result = ImportRemotesCsv(image, row.file);
        EXPECT_TRUE(result.errors.empty()) << row.what << ": " << result.errors.front();
        EXPECT_EQ(result.imported, 2) << row.what;
        EXPECT_EQ(image, expected) << row.what;
        EXPECT_EQ(result.format.separator, row.found.separator) << row.what;
        EXPECT_EQ(result.format.encoding, row.found.encoding) << row.what;
    }
}

// Exported in every form and imported again, each name comes back as it was,
// and no cell starts with a character that makes a formula.
TEST(RemotesCsv, NamesRoundTripInEveryForm) {
    const char* names[] = {"=SUMA(A1:A9)", "+48 600 100 200", "-parter", "@dom",     "'=już tekst",
                           "'zwykły",      "Brama; wjazd",    "Garaż",   " spacja ", ""};
    MemoryImage image;
    for (int i = 0; i < static_cast<int>(std::size(names)); ++i) {
        image.at(static_cast<std::size_t>(i) * kRecordSize + 3) = 0x01;
        RemoteEdit edit;
        std::vector<std::string> reasons;
        edit.remote = i + 1;
        CheckName(names[i], edit, reasons);
        ASSERT_TRUE(reasons.empty()) << names[i];
        ApplyRemoteEdit(image, edit);
    }
    const CsvFormat forms[] = {{',', CsvEncoding::kUtf8},
                               {';', CsvEncoding::kUtf8WithMark},
                               {';', CsvEncoding::kWindows1250}};
    for (const CsvFormat& form : forms) {
        const std::string csv = ExportRemotesCsv(image, form);
        for (const char* cellStart : {",=", ",+", ",-", ",@", ";=", ";+", ";-", ";@"}) {
            EXPECT_EQ(csv.find(cellStart), std::string::npos) << csv;
        }
        MemoryImage back;
        const RemotesImport result = ImportRemotesCsv(back, csv);
        ASSERT_TRUE(result.errors.empty()) << result.errors.front();
        for (int r = 0; r < static_cast<int>(std::size(names)); ++r) {
            EXPECT_EQ(ReadDeviceText(back, TextFieldOffset(r)),
                      ReadDeviceText(image, TextFieldOffset(r)))
                << DescribeCsvFormat(form) << ": " << names[r];
        }
        EXPECT_EQ(back, image) << DescribeCsvFormat(form);
        EXPECT_EQ(result.format.separator, form.separator);
        EXPECT_EQ(result.format.encoding, form.encoding);
    }
}

// The --excel export: Polish header, semicolons, UTF-8 with a mark, and it
// reads back as it was.
TEST(RemotesCsv, ExcelExportRoundTrips) {
    MemoryImage image;
    const std::uint8_t serial[] = {0x12, 0x34, 0x56, 0x7A};
    std::copy(serial, serial + 4, image.RecordAt(4).begin());
    WriteDeviceText(image, TextFieldOffset(4), "Brama; wjazd \xa3\xf3\x64\x9f");
    const std::string csv = ExportRemotesCsv(image, kExcelFormat, CsvHeader::kPolish);
    EXPECT_EQ(csv,
              "\xEF\xBB\xBFnumer;numer seryjny;scenariusz;nazwa\r\n"
              "5;12:34:56:7a;2;\"Brama; wjazd Łódź\"\r\n");
    MemoryImage back;
    const RemotesImport result = ImportRemotesCsv(back, csv);
    EXPECT_TRUE(result.errors.empty());
    EXPECT_TRUE(result.warnings.empty());
    EXPECT_EQ(back, image);
}

// Remotes the file leaves out, and serials whose last two bits disagree with
// the scenario column, with and without --replace and --strict.
TEST(RemotesCsv, LeftOutRemotesAndDisagreeingScenarios) {
    struct Row {
        const char* what;
        std::string csv;
        RemotesImportOptions options;
        std::vector<std::string> errors;    // beginnings
        std::vector<std::string> warnings;  // beginnings
        std::vector<int> notListed;
        std::vector<int> usedAfter;  // remotes in use afterwards
    };
    // In use before: 1, 2 and 1000 (scenario 1).
    const Row rows[] = {
        {"all listed",
         "1,01:00:00:00,0,a\r\n2,02:00:00:01,1,b\r\n1000,00:00:00:01,1,\r\n",
         {},
         {},
         {},
         {},
         {1, 2, 1000}},
        {"two left out, kept", "2,02:00:00:01,1,b\r\n", {}, {}, {}, {1, 1000}, {1, 2, 1000}},
        {"two left out, removed",
         "2,02:00:00:01,1,b\r\n5,05:00:00:00,0,new\r\n",
         {true, false},
         {},
         {},
         {1, 1000},
         {2, 5}},
        {"emptied by its row, removed by none",
         "1,00:00:00:00,0,\r\n2,02:00:00:01,1,b\r\n",
         {true, false},
         {},
         {},
         {1000},
         {2}},
        {"a disagreeing scenario warns and the column wins",
         "number,serial,scenario,name\r\n1,01:00:00:00,0,a\r\n2,02:00:00:03,1,b\r\n"
         "1000,00:00:00:01,1,\r\n",
         {},
         {},
         {"row 3: the serial 02:00:00:03 ends in scenario 3, the scenario column says 1; "
          "scenario 1 is stored"},
         {},
         {1, 2, 1000}},
        {"strict refuses it",
         "1,01:00:00:00,2,a\r\n2,02:00:00:01,1,b\r\n",
         {true, true},
         {"row 1: the serial 01:00:00:00 ends in scenario 0, the scenario column says 2"},
         {},
         {},
         {1, 2, 1000}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        MemoryImage image;
        image.at(0) = 0x01;
        WriteDeviceText(image, TextFieldOffset(0), "stary");
        image.at(32) = 0x02;
        image.at(32 + 3) = 0x01;
        image.at(999 * 32 + 3) = 0x01;
        image.at(999 * 32 + 4) = 0x55;  // bytes 4..5 are not the list's business
        const MemoryImage before = image;
        const RemotesImport result = ImportRemotesCsv(image, row.csv, row.options);
        ASSERT_EQ(result.errors.size(), row.errors.size());
        for (std::size_t k = 0; k < row.errors.size(); ++k) {
            EXPECT_EQ(result.errors[k].rfind(row.errors[k], 0), 0u) << result.errors[k];
        }
        EXPECT_EQ(result.warnings, row.warnings);
        std::vector<int> used;
        for (int r = 0; r < kRemoteCount; ++r) {
            if (IsRemoteSlotUsed(image, r)) {
                used.push_back(r + 1);
            }
        }
        EXPECT_EQ(used, row.usedAfter);
        if (!row.errors.empty()) {
            EXPECT_EQ(image, before);
            continue;
        }
        EXPECT_EQ(result.notListed, row.notListed);
        for (int remote : row.notListed) {
            const int r = remote - 1;
            if (row.options.replace) {  // an empty record: no serial, no name
                EXPECT_EQ(FormatSerialNumber(image, r), "00:00:00:00");
                EXPECT_EQ(ReadDeviceText(image, TextFieldOffset(r)), "");
                EXPECT_EQ(image.at(static_cast<std::size_t>(r) * 32 + 4),
                          before.at(static_cast<std::size_t>(r) * 32 + 4));
            } else {
                EXPECT_TRUE(std::equal(image.RecordAt(r).begin(), image.RecordAt(r).end(),
                                       before.RecordAt(r).begin()));
            }
        }
    }
}

}  // namespace
}  // namespace tav::cli
