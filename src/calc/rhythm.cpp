#include "rhythm.h"

#include <cmath>
#include <limits>

namespace calc {

namespace {

// Rounds to the nearest whole number, a value exactly halfway going to the
// even neighbour (the default floating-point rounding mode, which the program
// never changes).
double RoundHalfEven(double x) { return std::nearbyint(x); }

bool DivisibleBy(double wholeNumber, double divisor) { return std::fmod(wholeNumber, divisor) == 0; }

}  // namespace

double DayNumber(double year, double month, double day) {
    const double a = std::floor((14 - month) / 12);
    const double t1 = std::floor(((-a + year) + 4800) * 1461 / 4);
    const double t2 = std::floor((((a * 12) + month) - 2) * 367 / 12);
    const double c = std::floor(((-a + year) + 4900) / 100);
    const double t3 = std::floor(c * 3 / 4);
    return (((t1 + t2) - t3) + day) - 32075.5;
}

int DaysInTargetMonth(double targetYear, double targetMonth) {
    int days;
    if (targetMonth != 2) {
        const double r = RoundHalfEven(std::fabs(7.5 - targetMonth));
        days = 30 + static_cast<int>(std::fmod(r, 2.0));
    } else {
        const double y = RoundHalfEven(targetYear);
        if (!DivisibleBy(y, 4)) days = 28;
        else if (!DivisibleBy(y, 100)) days = 29;
        else if (!DivisibleBy(y, 400)) days = 28;
        else days = 29;
    }
    for (double longMonth : {1.0, 3.0, 5.0, 7.0, 8.0, 10.0, 12.0}) {
        if (targetMonth == longMonth) days = 31;
    }
    return days;
}

double TargetMonthStart(double targetYear, double targetMonth) {
    return DayNumber(targetYear, targetMonth, 0);
}

double BirthInstant(double birthYear, double birthMonth, double birthDay, double birthHours) {
    return DayNumber(birthYear, birthMonth, birthDay) + birthHours / 24;
}

double ElapsedDays(double targetMonthStart, double birthInstant) {
    return (targetMonthStart - birthInstant) + 1;
}

double RhythmValue(double m, double cycleLength) {
    const double phase = m - std::floor(m / cycleLength) * cycleLength;
    const double degrees = (phase / cycleLength) * 360;
    const double radians = degrees / kDegreesPerRadian;
    return std::sin(radians) * -1;
}

RhythmSeries ComputeRhythmSeries(double elapsedDays, double cycleLength, int daysInMonth) {
    RhythmSeries series;
    FillRhythmSeries(series, elapsedDays, cycleLength, daysInMonth);
    return series;
}

void FillRhythmSeries(RhythmSeries& series, double elapsedDays, double cycleLength, int daysInMonth) {
    series.count = daysInMonth + 1;
    double m = elapsedDays;
    for (int k = 1; k <= series.count; ++k) {
        series.value[k - 1] = RhythmValue(m, cycleLength);
        m = m + 1;
    }
}

Calculation Calculate(const NumericEntries& e) {
    Calculation calc;
    calc.targetYear = e[5];
    calc.targetMonth = e[6];
    calc.daysInTargetMonth = DaysInTargetMonth(e[5], e[6]);
    calc.targetMonthStart = TargetMonthStart(e[5], e[6]);
    calc.birthInstant = BirthInstant(e[1], e[2], e[3], e[4]);
    calc.elapsedDays = ElapsedDays(calc.targetMonthStart, calc.birthInstant);
    calc.cycleLengths.Set();
    for (int r = 1; r <= kRhythmCount; ++r) {
        FillRhythmSeries(calc.series[r], calc.elapsedDays, calc.cycleLengths[r], calc.daysInTargetMonth);
    }
    return calc;
}

bool CalculationStaysFinite(const NumericEntries& e) {
    const double start = TargetMonthStart(e[5], e[6]);
    const double birth = BirthInstant(e[1], e[2], e[3], e[4]);
    const double elapsed = ElapsedDays(start, birth);
    // The running day count grows by at most 32 and each phase step
    // (m - floor(m / c) * c) stays within a rounding error of |m|, so half
    // the largest double leaves room for every step.
    return std::isfinite(start) && std::isfinite(birth) &&
           std::fabs(elapsed) < std::numeric_limits<double>::max() / 2;
}

}  // namespace calc
