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

}  // namespace
}  // namespace tav::cli
