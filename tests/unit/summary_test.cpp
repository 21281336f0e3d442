// The chart in words: caution days and maxima of each rhythm, checked
// against days worked out from the phase of each day, without any sine.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <string>
#include <vector>

#include "calc/entries.h"
#include "chart/summary.h"
#include "support/worked_example.h"

namespace {

using Days = std::vector<int>;

calc::Calculation Calculate(const std::vector<std::string>& texts) {
    calc::EntryRecord record;
    for (int slot = 1; slot <= 6; ++slot) record.Commit(slot, texts[slot - 1]);
    const auto entries = calc::ApplyEraOffsets(record, std::nullopt, std::nullopt);
    EXPECT_TRUE(calc::ValidateEntries(entries));
    return calc::Calculate(entries);
}

struct Expected {
    Days caution, plus, minus;
};

struct MonthCase {
    const char* name;
    std::vector<std::string> entries;  // birth year, month, day, hours, target year, month
    int days;
    double elapsedDays;
    Expected rhythm[3];  // physical, emotional, intellectual
};

// Phase of day k is (ElapsedDays + k - 1) mod c. A rhythm lies on the plus
// side for phases in (0, c/2) and on the minus side in (c/2, c); it is 0 at
// phase 0, and at phase c/2 it is a hair below 0 (the program's pi is a
// little short of the true one), so that day still counts as plus. Day b is
// a caution day when the day [phase(b), phase(b) + 1) contains phase 0 or
// c/2; the maxima lie at the phases nearest c/4 and 3c/4.
const MonthCase kMonths[] = {
    // ElapsedDays 9269.5: day 1 at phases 0.5, 1.5, 29.5. The physical
    // plus maxima at phase 5.5 in two cycles are exactly equal; the
    // emotional ones at 6.5/7.5 and 20.5/21.5 lie either side of the peak.
    {"worked example, October 2005",
     {"1980", "5", "15", "12", "2005", "10"}, 31, 9269.5,
     {{{12, 23}, {6, 29}, {18}}, {{13, 27}, {6, 7}, {20, 21}}, {{4, 21}, {13}, {29}}}},
    // A 28-day February; ElapsedDays 15602: day 1 at phases 8, 6, 26. The
    // physical value of day 16, the emotional of day 23 and the
    // intellectual of day 8 are exactly 0; the emotional day 9 sits at
    // phase 14 = c/2.
    {"common February 2023, exact zeros",
     {"1980", "5", "15", "0", "2023", "2"}, 28, 15602,
     {{{4, 16, 27}, {22}, {10}}, {{9, 23}, {2}, {16}}, {{8, 24}, {16}, {1}}}},
    // Leap February 2024; ElapsedDays 15967: day 1 at phases 5, 7, 28. The
    // emotional days 1 and 29 both sit exactly on the peak (phase 7).
    {"leap February 2024",
     {"1980", "5", "15", "0", "2024", "2"}, 29, 15967,
     {{{7, 19}, {2, 25}, {13}}, {{8, 22}, {1, 29}, {15}}, {{6, 22}, {14}, {29}}}},
    // Born on the first at midnight: every rhythm is exactly 0 on day 1.
    {"January 2000 from its own first day",
     {"2000", "1", "1", "0", "2000", "1"}, 31, 0,
     {{{1, 12, 24}, {7, 30}, {18}}, {{1, 15, 29}, {8}, {22}}, {{1, 17}, {9}, {26}}}},
    // Born after the month begins; ElapsedDays -19: day 1 at phases 4, 9,
    // 14. The physical caution day 31 comes from the point after the month.
    {"negative elapsed days, October 2005",
     {"2005", "10", "20", "0", "2005", "10"}, 31, -19,
     {{{8, 20, 31}, {3, 26}, {14}}, {{6, 20}, {27}, {13}}, {{3, 20}, {28}, {12}}}},
    // A 30-day month; ElapsedDays 7333.75: day 1 at phases 19.75, 25.75,
    // 7.75. The physical minus maximum and the intellectual plus maximum
    // each fall halfway between two days.
    {"April 2010 at quarter days",
     {"1990", "3", "3", "6", "2010", "4"}, 30, 7333.75,
     {{{4, 15, 27}, {10}, {21, 22}}, {{3, 17}, {10}, {24}}, {{9, 26}, {1, 2}, {18}}}},
};

void PrintTo(const MonthCase& m, std::ostream* os) { *os << m.name; }

class SummaryOfMonth : public testing::TestWithParam<MonthCase> {};

TEST_P(SummaryOfMonth, CautionDaysAndMaxima) {
    const MonthCase& m = GetParam();
    const calc::Calculation c = Calculate(m.entries);
    ASSERT_EQ(c.daysInTargetMonth, m.days);
    ASSERT_EQ(c.elapsedDays, m.elapsedDays);
    for (int r = 1; r <= 3; ++r) {
        SCOPED_TRACE("rhythm " + std::to_string(r));
        const chart::RhythmSummary s = chart::SummariseRhythm(c.series[r], c.daysInTargetMonth);
        EXPECT_EQ(s.cautionDays, m.rhythm[r - 1].caution);
        EXPECT_EQ(s.plusPeakDays, m.rhythm[r - 1].plus);
        EXPECT_EQ(s.minusPeakDays, m.rhythm[r - 1].minus);
    }
}

INSTANTIATE_TEST_SUITE_P(Months, SummaryOfMonth, testing::ValuesIn(kMonths),
                         [](const testing::TestParamInfo<MonthCase>& info) {
                             std::string name;
                             for (const char ch : std::string(info.param.name))
                                 if (std::isalnum(static_cast<unsigned char>(ch))) name += ch;
                             return name;
                         });

TEST(SummaryText, WorkedExampleInJapanese) {
    EXPECT_EQ(chart::ChartSummaryText(testing_support::WorkedExample()), testing_support::kWorkedExampleSummary);
}

// Series that no real month produces (every rhythm crosses the axis and
// reaches both sides within 28 days), written out by hand.
calc::RhythmSeries Series(const std::vector<double>& values) {
    calc::RhythmSeries series;
    series.count = static_cast<int>(values.size());
    for (std::size_t i = 0; i < values.size(); ++i) series.value[i] = values[i];
    return series;
}

TEST(SummaryOfSeries, ACurveThatStaysOnOneSideHasNoCautionDayAndNoOtherMaximum) {
    // Three days under the axis (plus side), rising to the point after the
    // month, which is not a day of the month and is not named.
    const chart::RhythmSummary s = chart::SummariseRhythm(Series({-0.5, -0.75, -0.25, -0.9}), 3);
    EXPECT_THAT(s.cautionDays, testing::IsEmpty());
    EXPECT_EQ(s.plusPeakDays, Days({2}));
    EXPECT_THAT(s.minusPeakDays, testing::IsEmpty());

    calc::Calculation c;
    c.daysInTargetMonth = 3;
    for (int r = 1; r <= 3; ++r) c.series[r] = Series({0.5, 0.75, 0.25, 0.9});
    EXPECT_EQ(chart::ChartSummaryText(c),
              "身体リズムの要注意日はなし。＋側の極大はなし。－側の極大は2日。"
              "感情リズムの要注意日はなし。＋側の極大はなし。－側の極大は2日。"
              "知性リズムの要注意日はなし。＋側の極大はなし。－側の極大は2日。");
}

TEST(SummaryOfSeries, ZeroIsOnNeitherSide) {
    // Day 2 is exactly 0: a caution day of its own; days 1 and 3 do not
    // cross the axis towards it. A crossing to the point after the month
    // makes the last day a caution day.
    const chart::RhythmSummary s = chart::SummariseRhythm(Series({0.5, -0.0, -0.5, -0.25, 0.1}), 4);
    EXPECT_EQ(s.cautionDays, Days({2, 4}));
    EXPECT_EQ(s.plusPeakDays, Days({3}));
    EXPECT_EQ(s.minusPeakDays, Days({1}));
}

TEST(SummaryOfSeries, EqualHeightsWithinRoundingAreNamedTogether) {
    const chart::RhythmSummary s =
        chart::SummariseRhythm(Series({-0.9, -0.9 + 1e-12, -0.9 + 1e-6, 0.7, 0.7 - 1e-12, 0.7}), 5);
    EXPECT_EQ(s.plusPeakDays, Days({1, 2}));  // day 3 lies a millionth lower
    EXPECT_EQ(s.minusPeakDays, Days({4, 5}));
}

// Every alignment of phases for whole and quarter days, against the rule
// worked out from the phase alone.
Expected FromPhase(double elapsed, double c, int days) {
    const auto phase = [&](int b) {
        const double m = elapsed + b - 1;
        return m - std::floor(m / c) * c;
    };
    Expected e;
    double plusBest = c, minusBest = c;
    for (int b = 1; b <= days; ++b) {
        const double p = phase(b);
        if (p == 0 || p + 1 > c || (p <= c / 2 && c / 2 < p + 1)) e.caution.push_back(b);
        Days& side = p > 0 && p <= c / 2 ? e.plus : e.minus;
        double& best = p > 0 && p <= c / 2 ? plusBest : minusBest;
        if (p == 0) continue;
        const double distance = std::fabs(p - (p <= c / 2 ? c / 4 : 3 * c / 4));
        if (distance < best) side.clear(), best = distance;
        if (distance == best) side.push_back(b);
    }
    return e;
}

TEST(SummaryOfSeries, AgreesWithThePhaseForBirthsAtQuarterDaysAllYear) {
    struct Birth {
        int month, day;
        const char* hours;
    };
    std::vector<Birth> births;
    for (int month = 1; month <= 12; ++month)
        for (int day = 1; day <= 30; ++day)
            for (const char* hours : {"0", "6", "12", "18"}) births.push_back({month, day, hours});
    int checked = 0;
    for (const Birth& birth : births) {
        for (const char* targetMonth : {"2", "4", "10"}) {
            const calc::Calculation c = Calculate(
                {"1980", std::to_string(birth.month), std::to_string(birth.day), birth.hours, "2023", targetMonth});
            for (int r = 1; r <= 3; ++r) {
                SCOPED_TRACE(testing::Message() << "born 1980-" << birth.month << "-" << birth.day << " "
                                                << birth.hours << " h, 2023-" << targetMonth << ", rhythm " << r);
                const chart::RhythmSummary s = chart::SummariseRhythm(c.series[r], c.daysInTargetMonth);
                const Expected e = FromPhase(c.elapsedDays, c.cycleLengths[r], c.daysInTargetMonth);
                ASSERT_EQ(s.cautionDays, e.caution);
                ASSERT_EQ(s.plusPeakDays, e.plus);
                ASSERT_EQ(s.minusPeakDays, e.minus);
                ++checked;
            }
        }
    }
    EXPECT_EQ(checked, 12 * 30 * 4 * 3 * 3);
}

}  // namespace
