// Day numbers and rhythm values: everything the chart needs from a set of
// entries that has passed ValidateEntries.
#pragma once

#include <array>
#include <bit>
#include <cstdint>

#include "entries.h"

namespace calc {

// pi to thirteen significant digits, exactly as the rhythm arithmetic has
// always used it (not the double nearest to pi), and degrees per radian
// computed from it.
inline constexpr double kPi = 3.141592653589;
inline constexpr double kDegreesPerRadian = 180.0 / kPi;
static_assert(std::bit_cast<std::uint64_t>(kPi) == 0x400921FB5444261EULL);
static_assert(std::bit_cast<std::uint64_t>(kDegreesPerRadian) == 0x404CA5DC1A63C9ECULL);

inline constexpr int kRhythmCount = 3;
inline constexpr int kMaxChartPoints = 32;  // a 31-day month and the day after

// Cycle lengths in days by rhythm number: 1 physical, 2 emotional,
// 3 intellectual. Index 0 and 4..7 are unused.
struct CycleLengths {
    std::array<double, 8> days{};
    void Set() { days[1] = 23; days[2] = 28; days[3] = 33; }
    double operator[](int rhythm) const { return days[rhythm]; }
};

// Day number of 0:00 on day n of month m of year y (Julian Date for whole
// Gregorian dates). Days outside the month count on from it.
double DayNumber(double year, double month, double day);

// Length of the target month, 28 to 31.
int DaysInTargetMonth(double targetYear, double targetMonth);

// 0:00 on the last day of the month before the target month.
double TargetMonthStart(double targetYear, double targetMonth);

// The moment of birth as a day number.
double BirthInstant(double birthYear, double birthMonth, double birthDay, double birthHours);

// Days from the moment of birth to 0:00 on the first of the target month.
double ElapsedDays(double targetMonthStart, double birthInstant);

// One value in [-1, 1] per chart point k = 1 .. daysInMonth + 1, stored at
// value[k - 1].
struct RhythmSeries {
    int count = 0;
    std::array<double, kMaxChartPoints> value{};
    double operator()(int k) const { return value[k - 1]; }
};

// The value of a rhythm of cycleLength days at m days after the moment of
// birth, as every chart point is computed: the phase m - floor(m / c) * c,
// turned into degrees, then radians, and the negated sine.
double RhythmValue(double m, double cycleLength);

RhythmSeries ComputeRhythmSeries(double elapsedDays, double cycleLength, int daysInMonth);
void FillRhythmSeries(RhythmSeries& series, double elapsedDays, double cycleLength, int daysInMonth);

// Everything one calculation produces, for the chart.
struct Calculation {
    double targetYear = 0;   // Western year
    double targetMonth = 0;
    int daysInTargetMonth = 0;
    double targetMonthStart = 0;
    double birthInstant = 0;
    double elapsedDays = 0;
    CycleLengths cycleLengths;
    std::array<RhythmSeries, kRhythmCount + 1> series;  // index 1..3
};

// Runs the whole calculation on entries that have passed ValidateEntries.
Calculation Calculate(const NumericEntries& entries);

// True when every step of Calculate stays finite for these entries (a year
// near the top of the double range would overflow the day numbers).
bool CalculationStaysFinite(const NumericEntries& entries);

}  // namespace calc
