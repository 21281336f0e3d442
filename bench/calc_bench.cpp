// The whole calculation behind one chart, against the floor of that work:
// the 96 floor-and-sine steps that no implementation can avoid.
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <stdexcept>

#include "calc/entries.h"
#include "calc/rhythm.h"

namespace {

// 1980-05-15 12:00 (昭和55年), chart for October 2005: a 31-day month.
calc::EntryRecord CommittedRecord() {
    calc::EntryRecord record;
    const char* texts[] = {"55", "5", "15", "12", "2005", "10"};
    for (int slot = 1; slot <= calc::EntryRecord::kSlots; ++slot) record.Commit(slot, texts[slot - 1]);
    return record;
}

void BM_WholeCalculation(benchmark::State& state) {
    const calc::EntryRecord record = CommittedRecord();
    calc::EraOffset birthOffset = calc::kShowaOffset;
    calc::EraOffset targetOffset = calc::kWesternOffset;

    // Once outside the loop, so that a broken calculation cannot pass as a fast one.
    {
        const auto entries = calc::ApplyEraOffsets(record, birthOffset, targetOffset);
        if (!calc::ValidateEntries(entries)) {
            state.SkipWithError("entries did not validate");
            return;
        }
        const auto c = calc::Calculate(entries);
        if (c.daysInTargetMonth != 31 || c.series[3].count != 32) {
            state.SkipWithError("unexpected month length");
            return;
        }
    }

    for (auto _ : state) {
        benchmark::DoNotOptimize(birthOffset);
        benchmark::DoNotOptimize(targetOffset);
        const calc::NumericEntries entries = calc::ApplyEraOffsets(record, birthOffset, targetOffset);
        const bool valid = calc::ValidateEntries(entries);
        benchmark::DoNotOptimize(valid);
        calc::Calculation calculation = calc::Calculate(entries);
        benchmark::DoNotOptimize(calculation);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_WholeCalculation);

// Nothing but the arithmetic the three series need: 3 rhythms x 32 points of
// phase = m - floor(m/c)*c; v = -sin(phase/c*360/K). The start day and the
// cycle lengths come through DoNotOptimize so nothing can be folded.
void BM_BaselineFloorSine(benchmark::State& state) {
    double elapsed = 9269.0;  // about what the whole calculation has for its entries
    std::array<double, 3> cycles = {23, 28, 33};
    double degreesPerRadian = calc::kDegreesPerRadian;
    std::array<std::array<double, calc::kMaxChartPoints>, 3> values{};

    for (auto _ : state) {
        benchmark::DoNotOptimize(elapsed);
        benchmark::DoNotOptimize(cycles);
        benchmark::DoNotOptimize(degreesPerRadian);
        for (int r = 0; r < 3; ++r) {
            const double c = cycles[r];
            double m = elapsed;
            for (int k = 0; k < calc::kMaxChartPoints; ++k) {
                const double phase = m - std::floor(m / c) * c;
                values[r][k] = -std::sin(phase / c * 360 / degreesPerRadian);
                m += 1;
            }
        }
        benchmark::DoNotOptimize(values);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_BaselineFloorSine);

}  // namespace
