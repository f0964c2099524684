// Micro-benchmarks of the window's redraws, offscreen: what the user waits
// for after a read, a load or a keystroke, and the window's start.
//
//   window_bench [Google Benchmark flags]
// After Google Benchmark's own table it prints each figure beside its goal.
// Exits 0 when every goal is met, 1 when one is missed (a timing), 2 when the
// window was not shown or a benchmark gave no figure.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTest>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "image/settings_file.h"
#include "ui/Unit1.h"

namespace {

tav::ui::WindowServices QuietServices() {
    tav::ui::WindowServices s = tav::ui::SystemWindowServices();
    s.showMessage = [](QWidget*, const QString&, const QString&) {};
    return s;
}

bool right = true;

// One window for the redraw benchmarks, shown offscreen.
struct Window {
    tav::MemoryImage image;
    std::unique_ptr<tav::ui::TForm1> form;
    Window() {
        form = std::make_unique<tav::ui::TForm1>(image, QuietServices());
        form->show();
        if (!QTest::qWaitForWindowExposed(form.get())) {
            std::fprintf(stderr, "the window was not shown\n");
            right = false;
        }
    }
};

// Made by main() after the application and gone before it.
std::unique_ptr<Window> theWindow;

Window& TheWindow() {
    if (!theWindow) {
        theWindow = std::make_unique<Window>();
    }
    return *theWindow;
}

void FillRemotes(tav::MemoryImage& image, bool used) {
    for (int n = 0; n < tav::kRemoteCount; ++n) {
        auto record = image.RecordAt(n);
        for (int i = 0; i < 4; ++i) {
            record[static_cast<std::size_t>(i)] = used ? static_cast<std::uint8_t>(n + i + 1) : 0;
        }
    }
}

void BM_RefreshRemoteGrid_AllChanging(benchmark::State& state) {
    Window& w = TheWindow();
    bool used = false;
    for (auto _ : state) {
        used = !used;
        FillRemotes(w.image, used);
        w.form->RefreshRemoteGrid();
    }
}

void BM_RefreshRemoteGrid_NoneChanging(benchmark::State& state) {
    Window& w = TheWindow();
    FillRemotes(w.image, true);
    w.form->RefreshRemoteGrid();
    for (auto _ : state) {
        w.form->RefreshRemoteGrid();
    }
}

// One slot changes, the map is redrawn (a single-remote read); the counter
// says how many cells the redraw touched.
void BM_RefreshRemoteGrid_OneChanging(benchmark::State& state) {
    Window& w = TheWindow();
    FillRemotes(w.image, false);
    w.form->RefreshRemoteGrid();
    int changes = 0;
    const auto counting =
        QObject::connect(w.form->findChild<QTableWidget*>("StringGrid2")->model(),
                         &QAbstractItemModel::dataChanged, [&changes] { ++changes; });
    int slot = 0;
    for (auto _ : state) {
        auto record = w.image.RecordAt(slot);
        record[0] = static_cast<std::uint8_t>(record[0] + 1);
        w.form->RefreshRemoteGrid();
        slot = (slot + 1) % tav::kRemoteCount;
    }
    QObject::disconnect(counting);
    state.counters["cells"] = benchmark::Counter(changes, benchmark::Counter::kAvgIterations);
}

void BM_RefreshDumpView(benchmark::State& state) {
    Window& w = TheWindow();
    std::uint8_t b = 0;
    for (auto _ : state) {
        w.image.at(tav::kClockTransmitterOffset) = ++b;
        w.form->RefreshDumpView();
    }
}

void BM_RefreshScenarioPage(benchmark::State& state) {
    Window& w = TheWindow();
    std::uint8_t b = 0;
    for (auto _ : state) {
        w.image.at(tav::ScenarioCellOffset(0, 0, 0)) = static_cast<std::uint8_t>(++b % 0xC0);
        w.form->RefreshScenarioPage();
    }
}

void BM_RefreshSettingsPage(benchmark::State& state) {
    Window& w = TheWindow();
    std::uint8_t b = 0;
    for (auto _ : state) {
        w.image.at(tav::kClockEventOffset + 7) = static_cast<std::uint8_t>(++b % 0x60);
        w.form->RefreshSettingsPage();
    }
}

void BM_AppendEventLineTo100000(benchmark::State& state) {
    Window& w = TheWindow();
    auto* view = w.form->findChild<QPlainTextEdit*>(QStringLiteral("RichEdit1"));
    view->clear();
    for (int i = 0; i < 100000; ++i) {
        w.form->AppendEventLine("2026-12-07 06:29:43 nadajnik 0012 przycisk 3 przekaznik 2");
    }
    int n = 0;
    for (auto _ : state) {
        w.form->AppendEventLine(++n % 2 ? "2026-12-07 06:29:44 nadajnik 0001 przycisk 1"
                                        : "2026-12-07 06:29:45 nadajnik 0002 przycisk 2");
    }
    view->clear();
}

std::filesystem::path BenchFile() {
    return std::filesystem::temp_directory_path() / "tav1000r-window-bench.tv2";
}

void BM_SaveSettingsFile(benchmark::State& state) {
    tav::MemoryImage image;
    FillRemotes(image, true);
    for (auto _ : state) {
        benchmark::DoNotOptimize(tav::WriteSettingsFile(image, BenchFile()));
    }
}

void BM_LoadSettingsFile(benchmark::State& state) {
    tav::MemoryImage image;
    FillRemotes(image, true);
    tav::WriteSettingsFile(image, BenchFile());
    for (auto _ : state) {
        benchmark::DoNotOptimize(tav::ReadSettingsFile(image, BenchFile()));
    }
    std::filesystem::remove(BenchFile());
}

void BM_WindowCreationToFirstFrame(benchmark::State& state) {
    for (auto _ : state) {
        tav::MemoryImage image;
        tav::ui::TForm1 form(image, QuietServices());
        form.show();
        benchmark::DoNotOptimize(QTest::qWaitForWindowExposed(&form));
        state.PauseTiming();
        form.close();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}

// Keeps the mean real time per iteration of every run for the goals table.
class Collector final : public benchmark::ConsoleReporter {
  public:
    std::map<std::string, double> microseconds;
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            if (r.run_type == Run::RT_Iteration && r.iterations > 0) {
                microseconds[r.benchmark_name()] =
                    r.real_accumulated_time / static_cast<double>(r.iterations) * 1e6;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

BENCHMARK(BM_RefreshRemoteGrid_AllChanging);
BENCHMARK(BM_RefreshRemoteGrid_NoneChanging);
BENCHMARK(BM_RefreshRemoteGrid_OneChanging);
BENCHMARK(BM_RefreshDumpView);
BENCHMARK(BM_RefreshScenarioPage);
BENCHMARK(BM_RefreshSettingsPage);
BENCHMARK(BM_AppendEventLineTo100000);
BENCHMARK(BM_SaveSettingsFile);
BENCHMARK(BM_LoadSettingsFile);
BENCHMARK(BM_WindowCreationToFirstFrame)->Iterations(20);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    benchmark::Shutdown();
    theWindow.reset();

    struct Goal {
        const char* name;
        const char* figure;
        double goalUs;
    };
    const Goal goals[] = {
        {"BM_RefreshRemoteGrid_AllChanging", "RefreshRemoteGrid, all slots changing", 300},
        {"BM_RefreshRemoteGrid_NoneChanging", "RefreshRemoteGrid, no slot changing", 300},
        {"BM_RefreshRemoteGrid_OneChanging", "RefreshRemoteGrid, one slot (a full read)", 250},
        {"BM_RefreshDumpView", "RefreshDumpView", 300},
        {"BM_RefreshScenarioPage", "RefreshScenarioPage", 300},
        {"BM_RefreshSettingsPage", "RefreshSettingsPage", 300},
        {"BM_AppendEventLineTo100000", "one event line appended to 100,000", 200},
        {"BM_SaveSettingsFile", "saving a settings file", 0},
        {"BM_LoadSettingsFile", "loading a settings file", 0},
        {"BM_WindowCreationToFirstFrame/iterations:20", "window creation to first frame", 250000},
    };
    std::printf("\n%-42s %12s %12s\n", "figure", "measured", "goal");
    bool met = true;
    for (const Goal& g : goals) {
        const auto it = collector.microseconds.find(g.name);
        if (it == collector.microseconds.end()) {
            // Left out by --benchmark_filter, or failed.
            continue;
        }
        const double us = it->second;
        if (g.goalUs == 0) {
            std::printf("%-42s %9.1f us %12s\n", g.figure, us, "reported");
            continue;
        }
        const bool ok = us <= g.goalUs;
        met = met && ok;
        std::printf("%-42s %9.1f us %9.0f us %s\n", g.figure, us, g.goalUs, ok ? "met" : "MISSED");
    }
    return !right ? 2 : (met ? 0 : 1);
}
