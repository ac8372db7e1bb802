// A full rebuild of the ten catalogues, as every visit of the setup page
// makes, for folders of 50 and of 5,000 files, beside a bare listing of the
// same folders in the same run: the counter "vs_listing" is the ratio.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/setup_entry.h"
#include "platform/files.h"

namespace fs = std::filesystem;

namespace {

const char* const folders[] = {"System Files",  "Terrain Files",   "Airport Files", "Obstacle Files",
                               "Overlay Files", "Parameter Files", "HASS Files",    "NOGAMMA Files"};

void touch(const fs::path& path) { std::fclose(std::fopen(path.string().c_str(), "wb")); }

char digit(int n) { return char('0' + n % 10); }

std::string number(int n, int width) {
    std::string text(width, '0');
    for (int i = width - 1; i >= 0; --i, n /= 10) text[i] = digit(n);
    return text;
}

// Each folder holds `files` files of its kind: complete and incomplete
// candidates, and names that almost fit.
struct Tree {
    fs::path top;
    explicit Tree(int files) {
        top = fs::temp_directory_path() / ("htaws-catalogue-bench-" + std::to_string(std::random_device{}()) + "-" +
                                           std::to_string(files));
        for (const char* f : folders) fs::create_directories(top / f);
        const fs::path pgm = top / "System Files";
        const char* const programs[] = {"rk5200h_", "rk5200h_io_", "rk5200h_start_", "uImage_", "foo_dtb_",
                                        "ubi_img_", "u_boot_",     "other_"};
        for (int i = 0; i < files; ++i) touch(pgm / (programs[i % 8] + number(i / 8, 4) + ".hhf"));
        for (int i = 0; i < files; ++i)
            touch(top / "Terrain Files" /
                  ("61734-TDB-" + number(i / 2, 4) + "-00001" + (i % 2 ? "_header.bin" : "_data.bin")));
        const char* const databases[][2] = {
            {"Airport Files", "61734-NDB-"}, {"Obstacle Files", "61734-ODB-"}, {"Overlay Files", "61734-GDB-"}};
        for (const auto& db : databases)
            for (int i = 0; i < files; ++i)
                touch(top / db[0] / (db[1] + number(i, 4) + "-" + number(i, i % 10 ? 5 : 6) + ".bin"));
        for (int i = 0; i < files; ++i) touch(top / "Parameter Files" / ("Params_SN" + number(i, 8) + ".dat"));
        touch(top / "HASS Files" / "HASS.dat");
        touch(top / "NOGAMMA Files" / "NOGAMMA.dat");
        catalogue_setup_entry(top.string());
    }
    ~Tree() {
        std::error_code ec;
        fs::remove_all(top, ec);
    }
    void bare_listing() const {
        for (const char* f : folders) benchmark::DoNotOptimize(list_files((top / f).string(), "*"));
    }
};

Tree& tree(int files) {
    static std::map<int, std::unique_ptr<Tree>> trees;
    auto& t = trees[files];
    if (!t) t = std::make_unique<Tree>(files);
    return *t;
}

using Clock = std::chrono::steady_clock;

void BM_RebuildAllCatalogues(benchmark::State& state) {
    Tree& t = tree(int(state.range(0)));
    double rebuild = 0, listing = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        catalogue_rebuild_all();
        const auto rebuilt = Clock::now();
        t.bare_listing();
        const auto listed = Clock::now();
        const double seconds = std::chrono::duration<double>(rebuilt - start).count();
        state.SetIterationTime(seconds);
        rebuild += seconds;
        listing += std::chrono::duration<double>(listed - rebuilt).count();
    }
    state.counters["candidates"] = catalogue_count(CAT_SYSTEM_SOFTWARE) + catalogue_count(CAT_AIRPORT);
    state.counters["listing_ms"] = 1000 * listing / double(state.iterations());
    state.counters["vs_listing"] = rebuild / listing;
}
BENCHMARK(BM_RebuildAllCatalogues)->Arg(50)->Arg(5000)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
