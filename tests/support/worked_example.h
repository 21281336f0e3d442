// The worked example that the tests share: born 15 May 1980 at 12:00,
// charted for October 2005 (31 days; 9269.5 days from the birth to the
// first of the month). Other target months keep the same birth.
#pragma once

#include <array>

#include "calc/entries.h"
#include "calc/rhythm.h"

namespace testing_support {

// The six entry texts, slots 1 to 6, as typed with the Western calendar.
inline constexpr std::array<const char*, 6> kWorkedExampleTexts = {"1980", "5", "15", "12", "2005", "10"};

// What a screen reader is told of its chart: the picture area's description.
inline constexpr const char* kWorkedExampleSummary =
    "身体リズムの要注意日は12日、23日。＋側の極大は6日、29日。－側の極大は18日。"
    "感情リズムの要注意日は13日、27日。＋側の極大は6日、7日。－側の極大は20日、21日。"
    "知性リズムの要注意日は4日、21日。＋側の極大は13日。－側の極大は29日。";

// The record with all six slots committed, the target year and month as given.
inline calc::EntryRecord WorkedExampleRecord(const char* targetYear = "2005", const char* targetMonth = "10") {
    calc::EntryRecord record;
    for (int slot = 1; slot <= 4; ++slot) record.Commit(slot, kWorkedExampleTexts[slot - 1]);
    record.Commit(5, targetYear);
    record.Commit(6, targetMonth);
    return record;
}

// Its calculation, with no era offsets.
inline calc::Calculation WorkedExample(const char* targetYear = "2005", const char* targetMonth = "10") {
    return calc::Calculate(calc::ApplyEraOffsets(WorkedExampleRecord(targetYear, targetMonth), std::nullopt, std::nullopt));
}

}  // namespace testing_support
