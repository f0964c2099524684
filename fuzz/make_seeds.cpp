// Writes seed inputs for every fuzz target into DIR/<target>/, made from the
// cases the tests use: good and broken settings files, older-model entries,
// clock patterns, receiver answers and client command streams.
//
//   fuzz_make_seeds DIR
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <string>
#include <vector>

#include "image/memory_image.h"
#include "image/settings_file.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

Bytes Text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) {
        out.insert(out.end(), p.begin(), p.end());
    }
    return out;
}

std::uint8_t Sum(const Bytes& b) {
    return static_cast<std::uint8_t>(std::accumulate(b.begin(), b.end(), 0u));
}

// A record answer: 32 bytes and their checksum, with its length before it.
Bytes RecordAnswer(std::uint8_t fill) {
    Bytes record(tav::kRecordSize, fill);
    Bytes out = {static_cast<std::uint8_t>(tav::kRecordSize + 1)};
    out.insert(out.end(), record.begin(), record.end());
    out.push_back(Sum(record));
    return out;
}

void Write(const fs::path& dir, const std::string& target, const std::vector<Bytes>& seeds) {
    fs::create_directories(dir / target);
    for (std::size_t i = 0; i < seeds.size(); ++i) {
        std::ofstream out(dir / target / ("seed-" + std::to_string(i)), std::ios::binary);
        out.write(reinterpret_cast<const char*>(seeds[i].data()),
                  static_cast<std::streamsize>(seeds[i].size()));
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_make_seeds DIR\n");
        return 2;
    }
    const fs::path dir = argv[1];

    tav::MemoryImage image;
    for (std::size_t i = 0; i < tav::kImageSize; ++i) {
        image.at(i) = static_cast<std::uint8_t>(i * 7);
    }
    const Bytes imageBytes(image.Bytes().begin(), image.Bytes().end());
    const Bytes good = Concat({Text("$*$10"), imageBytes});
    Write(dir, "fuzz_settings_file",
          {good, Concat({Text("$*$11"), imageBytes}), Concat({Text("$*#10"), imageBytes}),
           Text("$*$10"), Concat({Text("$*$10"), Bytes(100, 0x41)})});
    Write(dir, "fuzz_image_encodings", {imageBytes, Bytes(tav::kImageSize, 0xFF), Bytes(64, 0)});

    Write(dir, "fuzz_event_lines",
          {Text("\x05"
                "abc\r\ndef\nTAV-1000 v1.26\r\n"),
           Text("\x02"
                "TAV-2000 v1.\0x\r\n"),
           Text("\x10"
                "--- poczatek historii zdarzen ---\r\n\r\n\n")});

    Bytes older;
    for (int d = 0; d < 500; ++d) {
        const Bytes entries[] = {
            {0, 0, 0, 0}, {0xFF, 0xFF, 0xFF, 0xFF}, {0, 0, 0, 0x0F}, {0x12, 0x34, 0x56, 0x78}};
        const Bytes& e = entries[d % 4];
        older.insert(older.end(), e.begin(), e.end());
    }
    Write(dir, "fuzz_older_model_import", {older, Bytes(2048, 0x80), Bytes(3, 0x12)});

    // [event][the 8 entry bytes][a typed pattern]
    Write(
        dir, "fuzz_clock_pattern",
        {Concat({{0, 0x00, 0x02, 0x25, 0x06, 0x01, 0x07, 0x30, 0x00}, Text("2025-06-01 07:30:00")}),
         Concat({{1, 0xFF, 0x0D, 0xFF, 0xFF, 0xFF, 0x12, 0x00, 0x00}, Text("20**-**-** 12:00:00")}),
         Concat({{2, 0x01, 0x05, 0xAB, 0x01, 0x01, 0x00, 0x00, 0x00}, Text("2025-1 -01 08:30:00")}),
         Concat(
             {{3, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, Text("20  -  -     :  :  ")})});

    // [mode: 1 application, 2 boot loader][length][answer]...
    Bytes echoes = {2};
    for (int i = 0; i < 12; ++i) {
        echoes.insert(echoes.end(), {1, 0xE0});
    }
    Write(dir, "fuzz_device_operations",
          {Concat({{1}, RecordAnswer(0xFF), RecordAnswer(0x00), RecordAnswer(0x41)}), echoes,
           Concat({{0, 6, 0x76, 0x07, 0x01, 0x00, 0x01, 0x29}, RecordAnswer(0x12)}),
           Concat({{0, 5, 0x76, 0x07, 0x01, 0x00, 0x01}})});

    // [field][the cell's text]
    Write(dir, "fuzz_timer_cell",
          {Concat({{0}, Text("7")}), Concat({{1}, Text("75")}), Concat({{2}, Text("-3")}),
           Concat({{0}, Text("12abc")}), Concat({{3}, Text("ab")}), Concat({{1}, Text("")}),
           Concat({{2}, Text("  +99999999999999999999")})});

    const Bytes record(tav::kRecordSize, 0x41);
    Write(dir, "fuzz_sim_engine",
          {Concat({{0, 0, 0},
                   Text("?p"),
                   {0x03, 0xED},
                   Text("z"),
                   {0x03, 0xFB},
                   record,
                   {Sum(record)},
                   Text("hi")}),
           Concat({{0, 0, 0}, Text("Px"), Bytes(40, 'x'), Text("c")}),
           Concat({{1, 0, 0}, Text("?F"), Bytes(128, 0xFF), {0x80}, {0xFE}, Text("Z"), record}),
           Concat({{2, 3, 5}, Text("t"), {0x43, 0x29, 0x06, 0x07, 0x12, 0x26, 0xB1}})});
    return 0;
}
