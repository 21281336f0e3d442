// The chart drawing, recorded call by call on a canvas that draws nothing.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "calc/entries.h"
#include "chart/chart.h"
#include "support/recording_chart.h"
#include "support/worked_example.h"

namespace {

using testing::ElementsAre;

using testing_support::Call;
using testing_support::RecordingCanvas;
using testing_support::RecordingTitle;

// The worked example's birth, charted for the given month.
calc::Calculation Calculation(const char* year, const char* month) {
    EXPECT_TRUE(calc::ValidateEntries(
        calc::ApplyEraOffsets(testing_support::WorkedExampleRecord(year, month), std::nullopt, std::nullopt)));
    return testing_support::WorkedExample(year, month);
}

struct MonthCase {
    const char* year;
    const char* month;
    int days;
    float lastGridX;
};
void PrintTo(const MonthCase& m, std::ostream* out) { *out << m.year << "-" << m.month << ", " << m.days << " days"; }

class DrawChartMonth : public testing::TestWithParam<MonthCase> {};

TEST_P(DrawChartMonth, DrawsEverythingInOrder) {
    const MonthCase& m = GetParam();
    const calc::Calculation c = Calculation(m.year, m.month);
    ASSERT_EQ(c.daysInTargetMonth, m.days);
    const int points = m.days + 1;

    RecordingTitle title;
    RecordingCanvas canvas;
    chart::DrawChart(c, title, canvas);
    const std::vector<Call>& calls = canvas.calls;

    // Axis, grid, three curves each followed by its leader line, then the
    // day numbers: nothing else, and nothing cleared.
    const std::size_t expected = 1 + points + 3 * (m.days + 1) + 1 + 3 * m.days;
    ASSERT_EQ(calls.size(), expected);
    std::size_t i = 0;

    const Call& axis = calls[i++];
    EXPECT_EQ(axis.kind, Call::kLine);
    EXPECT_EQ(std::vector<float>({axis.x1, axis.y1, axis.x2, axis.y2}), std::vector<float>({0, 400, 1000, 400}));
    EXPECT_EQ(axis.colour, 14);

    for (int g = 1; g <= points; ++g, ++i) {
        const Call& line = calls[i];
        ASSERT_EQ(line.kind, Call::kLine);
        EXPECT_EQ(line.x1, 100 + 20 * g);
        EXPECT_EQ(line.x2, line.x1);
        EXPECT_EQ(line.y1, 200);
        EXPECT_EQ(line.y2, 600);
        EXPECT_EQ(line.colour, 14);
    }
    EXPECT_EQ(calls[i - 1].x1, m.lastGridX);

    const int colours[] = {0, 12, 15, 10};
    const float leaderY[] = {0, 288, 344, 415};
    for (int r = 1; r <= 3; ++r) {
        for (int d = 1; d <= m.days; ++d, ++i) {
            const Call& segment = calls[i];
            ASSERT_EQ(segment.kind, Call::kLine);
            EXPECT_EQ(segment.colour, colours[r]);
            EXPECT_EQ(segment.x1, 100 + 20 * d);
            EXPECT_EQ(segment.x2, 120 + 20 * d);
            EXPECT_EQ(segment.y1, static_cast<float>(400 + 100 * c.series[r](d)));
            EXPECT_EQ(segment.y2, static_cast<float>(400 + 100 * c.series[r](d + 1)));
        }
        const Call& leader = calls[i++];
        const Call& lastSegment = calls[i - 2];
        ASSERT_EQ(leader.kind, Call::kLine);
        EXPECT_EQ(leader.colour, colours[r]);
        EXPECT_EQ(leader.x1, 847);
        EXPECT_EQ(leader.y1, leaderY[r]);
        // The leader line ends on the curve's last point.
        EXPECT_EQ(leader.x2, lastSegment.x2);
        EXPECT_EQ(leader.y2, lastSegment.y2);
        EXPECT_EQ(leader.x2, m.lastGridX);
    }

    EXPECT_EQ(calls[i].kind, Call::kForeColor);
    EXPECT_EQ(calls[i++].colour, 15);
    for (int b = 1; b <= m.days; ++b) {
        ASSERT_EQ(calls[i].kind, Call::kCurrentX);
        EXPECT_EQ(calls[i++].x1, 100 + 20 * b);
        ASSERT_EQ(calls[i].kind, Call::kCurrentY);
        EXPECT_EQ(calls[i++].x1, 610);
        ASSERT_EQ(calls[i].kind, Call::kPrint);
        EXPECT_EQ(calls[i++].number, b);
    }
    EXPECT_EQ(i, calls.size());
}

INSTANTIATE_TEST_SUITE_P(Months, DrawChartMonth,
                         testing::Values(MonthCase{"2005", "2", 28, 680}, MonthCase{"2004", "2", 29, 700},
                                         MonthCase{"2005", "4", 30, 720}, MonthCase{"2005", "10", 31, 740}),
                         [](const auto& info) {
                             return std::string(info.param.year) + "_" + info.param.month + "_" +
                                    std::to_string(info.param.days) + "days";
                         });

TEST(DrawChart, ShowsTheTitleBeforeDrawing) {
    RecordingTitle title;
    RecordingCanvas canvas;
    chart::DrawChart(Calculation("2005", "4"), title, canvas);
    EXPECT_THAT(title.events, ElementsAre("visible", "caption:グレゴリオ暦（西暦） 2005年 4月のバイオリズム"));
}

TEST(DrawChart, TitleText) {
    EXPECT_EQ(chart::ChartTitleText(2005, 4), "グレゴリオ暦（西暦） 2005年 4月のバイオリズム");
    EXPECT_EQ(chart::ChartTitleText(2004, 2), "グレゴリオ暦（西暦） 2004年 2月のバイオリズム");
    EXPECT_EQ(chart::ChartTitleText(2005, 4.5), "グレゴリオ暦（西暦） 2005年 4.5月のバイオリズム");
    EXPECT_EQ(chart::ChartTitleText(-12, 10), "グレゴリオ暦（西暦）-12年 10月のバイオリズム");
    // A month typed "03" is a number by the time it reaches the title.
    const calc::Calculation c = Calculation("2005", "03");
    EXPECT_EQ(chart::ChartTitleText(c.targetYear, c.targetMonth), "グレゴリオ暦（西暦） 2005年 3月のバイオリズム");
}

TEST(DrawChart, TitleCarriesTheWesternYearOfThisCalculation) {
    calc::EntryRecord record;
    const char* texts[] = {"55", "5", "15", "12", "17", "10"};
    for (int slot = 1; slot <= 6; ++slot) record.Commit(slot, texts[slot - 1]);
    for (int run = 0; run < 2; ++run) {  // a second 決定 gives the same year
        const auto c = calc::Calculate(calc::ApplyEraOffsets(record, calc::kShowaOffset, calc::kHeiseiOffset));
        RecordingTitle title;
        RecordingCanvas canvas;
        chart::DrawChart(c, title, canvas);
        EXPECT_EQ(title.events.back(), "caption:グレゴリオ暦（西暦） 2005年 10月のバイオリズム");
    }
}

TEST(DrawChart, ExtremeValuesLandOnTheQuarterLines) {
    // A series with -1 and +1 puts its points at y = 300 and y = 500.
    calc::Calculation c = Calculation("2005", "2");
    for (int r = 1; r <= 3; ++r) {
        for (int k = 1; k <= 29; ++k) c.series[r].value[k - 1] = (k % 2) ? -1.0 : 1.0;
    }
    RecordingTitle title;
    RecordingCanvas canvas;
    chart::DrawChart(c, title, canvas);
    const Call& firstSegment = canvas.calls[1 + 29];
    EXPECT_EQ(firstSegment.y1, 300);
    EXPECT_EQ(firstSegment.y2, 500);
}

}  // namespace
