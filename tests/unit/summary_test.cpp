// The chart in words: caution days and maxima of each rhythm, checked
// against days worked out from the phase of each day, without any sine and
// without comparing neighbouring points.
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

// The rhythm at 0:00 of the day before the month, as the chart's points are
// computed.
double BeforeMonth(const calc::Calculation& c, int r) {
    return calc::ComputeRhythmSeries(c.elapsedDays - 1, c.cycleLengths[r], c.daysInTargetMonth)(1);
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
// c/2. The sine is highest at phase c/4 and lowest at 3c/4 and falls off
// evenly either side, so of points a day apart the summit of a cycle is the
// one within half a day of c/4 (both, when two lie exactly half a day
// either side), and likewise the trough at 3c/4; the points before and
// after the month continue the phases, so a cycle whose summit lies outside
// the month has none in it.
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
    // phase 14 = c/2. The intellectual trough (24.75) lies at phase 25, the
    // day before the month: the curve climbs from day 1, which is no
    // minimum.
    {"common February 2023, exact zeros",
     {"1980", "5", "15", "0", "2023", "2"}, 28, 15602,
     {{{4, 16, 27}, {22}, {10}}, {{9, 23}, {2}, {16}}, {{8, 24}, {16}, {}}}},
    // Leap February 2024; ElapsedDays 15967: day 1 at phases 5, 7, 28. The
    // emotional days 1 and 29 both sit exactly on the peak (phase 7). The
    // intellectual curve is still falling on day 29 (phase 23): its trough
    // comes at phase 25, in March.
    {"leap February 2024",
     {"1980", "5", "15", "0", "2024", "2"}, 29, 15967,
     {{{7, 19}, {2, 25}, {13}}, {{8, 22}, {1, 29}, {15}}, {{6, 22}, {14}, {}}}},
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
    // ElapsedDays 10: day 1 at phase 10 for every rhythm. Intellectual: the
    // summit (8.25) lay at phase 8, two days before the month; day 31 sits
    // at phase 7 and 1 November at 8, higher still, so the month has no
    // plus maximum. Physical: troughs at phase 17 on days 8 and 31.
    {"October 2005 rising into November",
     {"2005", "9", "21", "0", "2005", "10"}, 31, 10,
     {{{2, 14, 25}, {20}, {8, 31}}, {{5, 19}, {26}, {12}}, {{7, 24}, {}, {16}}}},
    // ElapsedDays 9: the intellectual summit lies at phase 8, the day
    // before the month; from day 1 (phase 9) the curve falls.
    {"October 2005 falling from day 1",
     {"2005", "9", "22", "0", "2005", "10"}, 31, 9,
     {{{3, 15, 26}, {21}, {9}}, {{6, 20}, {27}, {13}}, {{8, 25}, {}, {17}}}},
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
        const chart::RhythmSummary s = chart::SummariseRhythm(BeforeMonth(c, r), c.series[r], c.daysInTargetMonth);
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

TEST(SummaryText, ReckonsTheDayBeforeTheMonthAndTheDayAfterIt) {
    // Born 2005-09-21 and -22 at 0 h, October 2005: the intellectual summit
    // lies two days and one day before the month; nothing in October is a
    // plus maximum, neither day 1 nor day 31.
    const auto text = [](const char* birthDay) {
        calc::EntryRecord record;
        const char* texts[] = {"2005", "9", birthDay, "0", "2005", "10"};
        for (int slot = 1; slot <= 6; ++slot) record.Commit(slot, texts[slot - 1]);
        return chart::ChartSummaryText(
            calc::Calculate(calc::ApplyEraOffsets(record, std::nullopt, std::nullopt)));
    };
    EXPECT_EQ(text("21"),
              "身体リズムの要注意日は2日、14日、25日。＋側の極大は20日。－側の極大は8日、31日。"
              "感情リズムの要注意日は5日、19日。＋側の極大は26日。－側の極大は12日。"
              "知性リズムの要注意日は7日、24日。＋側の極大はなし。－側の極大は16日。");
    EXPECT_THAT(text("22"), testing::EndsWith("知性リズムの要注意日は8日、25日。＋側の極大はなし。－側の極大は17日。"));
}

// Series that no real month produces (every rhythm crosses the axis and
// reaches both sides within 28 days), written out by hand: the value before
// the month, then the chart points of the days and the one after the month.
calc::RhythmSeries Series(const std::vector<double>& values) {
    calc::RhythmSeries series;
    series.count = static_cast<int>(values.size());
    for (std::size_t i = 0; i < values.size(); ++i) series.value[i] = values[i];
    return series;
}

TEST(SummaryOfSeries, ACurveThatStaysOnOneSideHasNoCautionDayAndOnlyItsSummits) {
    // Three days under the axis (plus side): day 2 is a summit; day 3 rises
    // on to the point after the month, which is not a day of the month and
    // is not named, and day 1 lies below the point before it.
    const chart::RhythmSummary s = chart::SummariseRhythm(-0.6, Series({-0.5, -0.75, -0.25, -0.9}), 3);
    EXPECT_THAT(s.cautionDays, testing::IsEmpty());
    EXPECT_EQ(s.plusPeakDays, Days({2}));
    EXPECT_THAT(s.minusPeakDays, testing::IsEmpty());

    calc::Calculation c;
    c.daysInTargetMonth = 3;
    c.elapsedDays = 0;  // the day before: phase c - 1, 0.19 to 0.27, below day 1
    c.cycleLengths.Set();
    for (int r = 1; r <= 3; ++r) c.series[r] = Series({0.5, 0.75, 0.25, 0.9});
    EXPECT_EQ(chart::ChartSummaryText(c),
              "身体リズムの要注意日はなし。＋側の極大はなし。－側の極大は2日。"
              "感情リズムの要注意日はなし。＋側の極大はなし。－側の極大は2日。"
              "知性リズムの要注意日はなし。＋側の極大はなし。－側の極大は2日。");
}

TEST(SummaryOfSeries, TwoSummitsOfDifferentHeightsAreBothNamed) {
    // Plus side: summits on day 2 (0.8) and day 5 (0.6); minus side: day 3.
    const chart::RhythmSummary s =
        chart::SummariseRhythm(-0.1, Series({-0.5, -0.8, 0.4, -0.2, -0.6, -0.3}), 5);
    EXPECT_EQ(s.plusPeakDays, Days({2, 5}));
    EXPECT_EQ(s.minusPeakDays, Days({3}));
}

TEST(SummaryOfSeries, TheFirstAndLastDaysAreWeighedAgainstThePointsOutsideTheMonth) {
    const auto series = Series({-0.7, -0.5, 0.5, 0.7, 0.6});  // four days, then the point after
    // Day 1 is a summit only when the point before it lies no higher; day 4
    // a trough only when the point after lies no lower.
    EXPECT_EQ(chart::SummariseRhythm(-0.69, series, 4).plusPeakDays, Days({1}));
    EXPECT_THAT(chart::SummariseRhythm(-0.71, series, 4).plusPeakDays, testing::IsEmpty());
    EXPECT_EQ(chart::SummariseRhythm(-0.7 - 1e-12, series, 4).plusPeakDays, Days({1}));  // as high
    EXPECT_EQ(chart::SummariseRhythm(0, series, 4).minusPeakDays, Days({4}));
    EXPECT_THAT(chart::SummariseRhythm(0, Series({-0.7, -0.5, 0.5, 0.7, 0.71}), 4).minusPeakDays,
                testing::IsEmpty());
}

TEST(SummaryOfSeries, ZeroIsOnNeitherSide) {
    // Day 2 is exactly 0: a caution day of its own; days 1 and 3 do not
    // cross the axis towards it. A crossing to the point after the month
    // makes the last day a caution day.
    const chart::RhythmSummary s = chart::SummariseRhythm(0.25, Series({0.5, -0.0, -0.5, -0.25, 0.1}), 4);
    EXPECT_EQ(s.cautionDays, Days({2, 4}));
    EXPECT_EQ(s.plusPeakDays, Days({3}));
    EXPECT_EQ(s.minusPeakDays, Days({1}));
}

TEST(SummaryOfSeries, EqualHeightsWithinRoundingAreNamedTogether) {
    const chart::RhythmSummary s =
        chart::SummariseRhythm(-0.5, Series({-0.9, -0.9 + 1e-12, -0.9 + 1e-6, 0.7, 0.7 - 1e-12, 0.7}), 5);
    EXPECT_EQ(s.plusPeakDays, Days({1, 2}));  // day 3 lies a millionth lower
    EXPECT_EQ(s.minusPeakDays, Days({4, 5}));
}

// Every alignment of phases for whole and quarter days, against the rule
// worked out from the phase alone: a summit (trough) is a day within half a
// day of phase c/4 (3c/4), whichever side of the month's ends the
// neighbouring points lie.
Expected FromPhase(double elapsed, double c, int days) {
    const auto phase = [&](int b) {
        const double m = elapsed + b - 1;
        return m - std::floor(m / c) * c;
    };
    Expected e;
    for (int b = 1; b <= days; ++b) {
        const double p = phase(b);
        if (p == 0 || p + 1 > c || (p <= c / 2 && c / 2 < p + 1)) e.caution.push_back(b);
        if (std::fabs(p - c / 4) <= 0.5) e.plus.push_back(b);
        if (std::fabs(p - 3 * c / 4) <= 0.5) e.minus.push_back(b);
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
                const chart::RhythmSummary s =
                    chart::SummariseRhythm(BeforeMonth(c, r), c.series[r], c.daysInTargetMonth);
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
