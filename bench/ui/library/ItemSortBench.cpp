// The list/edit panel's item list over 100 000 generated items: sorting by
// each column through the model (the goal is 150 ms), and what a view asks
// for one screen of rows.
#include <benchmark/benchmark.h>

#include <QPersistentModelIndex>

#include "mdb/GeneratedLibrary.h"
#include "ui/library/ItemColumns.h"
#include "ui/library/ItemListModel.h"

namespace {

constexpr size_t kItems = 100000;

mdb::MusicDatabase& library() {
    static const auto db = benchlib::generatedDatabase(kItems);
    return *db;
}

// Alternates the order so that every sort moves the items.
void BM_SortByColumn(benchmark::State& state) {
    ui::library::ItemListModel model(library());
    model.showLibrary();
    // A selected row, as the view would hold it.
    const QPersistentModelIndex selected = model.index(500, 1);
    const int column = static_cast<int>(state.range(0));
    bool ascending = false;
    for (auto _ : state) {
        model.sort(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
        ascending = !ascending;
    }
    benchmark::DoNotOptimize(selected.row());
    state.SetLabel(std::string(ui::library::columnHeader(*ui::library::itemColumnAt(column))));
}
BENCHMARK(BM_SortByColumn)->DenseRange(1, 8)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// The first click on a column: the items come in another column's order
// (the title's), as when the user switches columns.
void BM_SortFromTitleOrder(benchmark::State& state) {
    ui::library::ItemListModel model(library());
    model.showLibrary();
    const int column = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        model.sort(1, Qt::AscendingOrder);
        state.ResumeTiming();
        model.sort(column, Qt::AscendingOrder);
    }
    state.SetLabel(std::string(ui::library::columnHeader(*ui::library::itemColumnAt(column))));
}
BENCHMARK(BM_SortFromTitleOrder)->DenseRange(2, 8)->Unit(benchmark::kMillisecond);

// One screen: 40 rows of all nine columns, as a view paints them.
void BM_PaintOneScreen(benchmark::State& state) {
    ui::library::ItemListModel model(library());
    model.showLibrary();
    int first = 0;
    for (auto _ : state) {
        for (int row = first; row < first + 40; ++row) {
            for (int column = 0; column < ui::library::kItemColumns; ++column) {
                benchmark::DoNotOptimize(model.index(row, column).data());
            }
        }
        first = (first + 997) % (int(kItems) - 40);
    }
}
BENCHMARK(BM_PaintOneScreen)->Unit(benchmark::kMicrosecond);

// Showing the library: no rows are copied.
void BM_ShowLibrary(benchmark::State& state) {
    ui::library::ItemListModel model(library());
    for (auto _ : state) {
        model.showLibrary();
        benchmark::DoNotOptimize(model.rowCount());
    }
}
BENCHMARK(BM_ShowLibrary)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
