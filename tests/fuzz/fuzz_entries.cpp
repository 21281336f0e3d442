// Fuzz target for the whole path from typed entry texts to the drawn chart:
// ParseNumberText, ApplyEraOffsets, ValidateEntries and, for entries that
// pass, Calculate and DrawChart onto a canvas that records every call.
//
// Input layout (plain bytes, so seed files can be written with printf):
//   byte 0    birth era offset     byte 1    target era offset
//             'T' Taisho 1911, 'S' Showa 1925, 'H' Heisei 1988,
//             'W' Western 0, '-' unset; any other byte b selects
//             b % 5: 0 unset, 1 Taisho, 2 Showa, 3 Heisei, 4 Western.
//   byte 2..  the entry texts of slots 1..6, separated by '\n'. A text that
//             is exactly one NUL byte leaves its slot never committed, and so
//             does every slot after the last text. Bytes after the sixth text
//             are ignored. An input shorter than two bytes leaves both
//             offsets unset and commits nothing.
//   e.g. "SW55\n5\n15\n12\n2005\n10" is Showa 55-5-15 12:00, target 2005-10.
//
// Any broken invariant prints what failed and aborts.
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "calc/entries.h"
#include "calc/rhythm.h"
#include "chart/chart.h"
#include "support/recording_chart.h"

namespace {

std::string Printable(std::string_view bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out.push_back(static_cast<char>(c));
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        }
    }
    return out;
}

// The current input, for the failure message.
std::string_view gInput;

[[noreturn]] void Fail(const char* what, double value = 0, double extra = 0) {
    std::fprintf(stderr, "fuzz_entries check failed: %s (value %.17g, %.17g)\ninput: \"%s\"\n", what,
                 value, extra, Printable(gInput).c_str());
    std::abort();
}

void Check(bool ok, const char* what, double value = 0, double extra = 0) {
    if (!ok) Fail(what, value, extra);
}

void CheckFinite(double v, const char* what) { Check(std::isfinite(v), what, v); }

calc::EraOffset OffsetFromByte(unsigned char b) {
    switch (b) {
        case 'T': return calc::kTaishoOffset;
        case 'S': return calc::kShowaOffset;
        case 'H': return calc::kHeiseiOffset;
        case 'W': return calc::kWesternOffset;
        case '-': return std::nullopt;
        default: break;
    }
    switch (b % 5) {
        case 1: return calc::kTaishoOffset;
        case 2: return calc::kShowaOffset;
        case 3: return calc::kHeiseiOffset;
        case 4: return calc::kWesternOffset;
        default: return std::nullopt;
    }
}

using testing_support::Call;
using testing_support::RecordingCanvas;
using testing_support::RecordingTitle;

// A plain decimal number below 1 in magnitude, such as "0.000…01" or "-.5":
// optional sign, zeros, a point, digits, between blanks. No such number is
// out of the range of a double, so each must read as one.
bool IsPlainFraction(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return false;
    text = text.substr(first, text.find_last_not_of(" \t") - first + 1);
    if (text.front() == '+' || text.front() == '-') text.remove_prefix(1);
    while (!text.empty() && text.front() == '0') text.remove_prefix(1);
    if (text.size() < 2 || text.front() != '.') return false;
    return text.substr(1).find_first_not_of("0123456789") == std::string_view::npos;
}

void CheckParsed(std::string_view text) {
    const std::optional<double> v = calc::ParseNumberText(text);
    if (IsPlainFraction(text)) Check(v.has_value(), "a plain decimal fraction is not a number");
    if (!v) return;
    CheckFinite(*v, "ParseNumberText returned a non-finite value");
    // The chart's own text for a number must read back as the same number.
    const std::string shown = calc::NumberText(*v);
    const std::optional<double> back = calc::ParseNumberText(shown);
    Check(back.has_value(), "ParseNumberText rejects the NumberText of a parsed value", *v);
    Check(*back == *v, "NumberText does not read back as the same value", *v, *back);
}

bool IsWhole(double v) { return std::isfinite(v) && std::floor(v) == v; }

// Cross-checks the calendar arithmetic against std::chrono where both apply:
// whole years, months and days in chrono's range.
void CheckCalendar(const calc::NumericEntries& e, const calc::Calculation& c) {
    namespace ch = std::chrono;
    const double ty = e[5], tm = e[6];
    if (IsWhole(ty) && IsWhole(tm) && ty <= 32767) {
        const ch::year_month_day_last last{ch::year{static_cast<int>(ty)} / ch::month{static_cast<unsigned>(tm)} /
                                           ch::last};
        Check(c.daysInTargetMonth == static_cast<int>(static_cast<unsigned>(last.day())),
              "daysInTargetMonth differs from the calendar", c.daysInTargetMonth, static_cast<unsigned>(last.day()));
    }
    const double by = e[1], bm = e[2], bd = e[3], bh = e[4];
    if (IsWhole(ty) && IsWhole(tm) && ty <= 32767 && IsWhole(by) && IsWhole(bm) && by <= 32767 &&
        IsWhole(bd) && bd > -1e6) {
        const ch::sys_days targetFirst{ch::year{static_cast<int>(ty)} / ch::month{static_cast<unsigned>(tm)} / 1};
        const ch::sys_days birthFirst{ch::year{static_cast<int>(by)} / ch::month{static_cast<unsigned>(bm)} / 1};
        const double expected = static_cast<double>((targetFirst - birthFirst).count()) - (bd - 1) - bh / 24;
        Check(std::fabs(c.elapsedDays - expected) < 1e-6, "elapsedDays differs from the calendar", c.elapsedDays,
              expected);
    }
}

void CheckChart(const calc::Calculation& c, const RecordingTitle& title, const RecordingCanvas& canvas) {
    const int days = c.daysInTargetMonth;
    const int points = days + 1;
    Check(title.visible == true, "DrawChart did not show the title");
    Check(!title.caption.empty(), "DrawChart left the title caption empty");

    int grid = 0, axis = 0, prints = 0;
    int curveLines[calc::kRhythmCount + 1] = {};
    for (const Call& call : canvas.calls) {
        CheckFinite(call.x1, "non-finite canvas x1");
        CheckFinite(call.y1, "non-finite canvas y1");
        CheckFinite(call.x2, "non-finite canvas x2");
        CheckFinite(call.y2, "non-finite canvas y2");
        CheckFinite(call.number, "non-finite printed number");
        switch (call.kind) {
            case Call::kLine: {
                if (call.colour == chart::kYellow) {
                    if (call.y1 == call.y2) ++axis;
                    else ++grid;
                    break;
                }
                int r = 0;
                for (int i = 1; i <= calc::kRhythmCount; ++i) {
                    if (chart::kRhythmStyles[i].colour == call.colour) r = i;
                }
                Check(r != 0, "line in a colour the chart does not use", call.colour);
                ++curveLines[r];
                // Curve points and leader lines stay inside the chart band.
                Check(call.x1 >= 0 && call.x1 <= 1000 && call.x2 >= 0 && call.x2 <= 1000,
                      "curve x outside the picture", call.x1, call.x2);
                Check(call.y1 >= 280 && call.y1 <= 520 && call.y2 >= 280 && call.y2 <= 520,
                      "curve y outside the chart band", call.y1, call.y2);
                break;
            }
            case Call::kPrint:
                ++prints;
                Check(call.number == prints, "day numbers out of order", call.number, prints);
                break;
            case Call::kClear: Fail("DrawChart cleared the canvas");
            default: break;
        }
    }
    Check(axis == 1, "axis line count", axis);
    Check(grid == points, "grid line count != days + 1", grid, points);
    Check(prints == days, "day number count != days", prints, days);
    for (int r = 1; r <= calc::kRhythmCount; ++r) {
        // days segments through days + 1 points, plus the leader line.
        const int curvePoints = curveLines[r];  // segments + leader == points
        Check(curvePoints <= calc::kMaxChartPoints, "more than 32 curve points", curvePoints, r);
        Check(curvePoints == points, "curve line count != days + 1", curvePoints, r);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    gInput = input;

    calc::EraOffset birthOffset, targetOffset;
    std::array<std::optional<std::string>, calc::EntryRecord::kSlots> texts;
    if (size >= 2) {
        birthOffset = OffsetFromByte(data[0]);
        targetOffset = OffsetFromByte(data[1]);
        std::string_view rest = input.substr(2);
        for (int slot = 0; slot < calc::EntryRecord::kSlots; ++slot) {
            const std::size_t nl = rest.find('\n');
            const std::string_view text = rest.substr(0, nl);
            if (text != std::string_view("\0", 1)) texts[slot] = std::string(text);
            if (nl == std::string_view::npos) break;
            rest.remove_prefix(nl + 1);
        }
    }

    calc::EntryRecord record;
    for (int slot = 1; slot <= calc::EntryRecord::kSlots; ++slot) {
        if (texts[slot - 1]) {
            CheckParsed(*texts[slot - 1]);
            record.Commit(slot, *texts[slot - 1]);
        }
    }

    const calc::NumericEntries entries = calc::ApplyEraOffsets(record, birthOffset, targetOffset);

    // Each value is the parsed text (0 for a never-committed slot) plus the
    // offset of its year slot, and the record keeps the texts as committed.
    for (int slot = 1; slot <= calc::EntryRecord::kSlots; ++slot) {
        std::optional<double> expected =
            texts[slot - 1] ? calc::ParseNumberText(*texts[slot - 1]) : std::optional<double>(0.0);
        const calc::EraOffset& offset = slot == 1 ? birthOffset : slot == 5 ? targetOffset : calc::EraOffset{};
        if (expected && offset) *expected += *offset;
        const auto& got = entries.value[slot - 1];
        Check(got.has_value() == expected.has_value(), "ApplyEraOffsets: number / not-a-number differs", slot);
        if (got) Check(*got == *expected, "ApplyEraOffsets: value differs", *got, *expected);
        Check(record.Slot(slot) == texts[slot - 1], "ApplyEraOffsets changed the committed text", slot);
    }
    const calc::NumericEntries again = calc::ApplyEraOffsets(record, birthOffset, targetOffset);
    Check(again.value == entries.value, "ApplyEraOffsets is not repeatable");

    if (!calc::ValidateEntries(entries)) return 0;

    for (int slot = 1; slot <= calc::EntryRecord::kSlots; ++slot) {
        Check(entries.value[slot - 1].has_value(), "validation passed with a slot that is not a number", slot);
        CheckFinite(*entries.value[slot - 1], "validation passed with a non-finite entry");
    }
    const calc::NumericEntries& e = entries;
    Check(e[1] >= 1876 && e[5] >= 1876, "validation passed with a year before 1876", e[1], e[5]);
    Check(e[2] > 0 && e[2] <= 12 && e[6] > 0 && e[6] <= 12, "validation passed with a month outside (0, 12]",
          e[2], e[6]);
    Check(e[3] <= 31, "validation passed with a day after 31", e[3]);
    Check(e[4] >= 0 && e[4] <= 24, "validation passed with hours outside [0, 24]", e[4]);

    const calc::Calculation c = calc::Calculate(entries);
    Check(c.daysInTargetMonth >= 28 && c.daysInTargetMonth <= 31, "daysInTargetMonth outside 28..31",
          c.daysInTargetMonth);
    Check(c.targetYear == e[5] && c.targetMonth == e[6], "Calculate lost the target month", c.targetYear,
          c.targetMonth);
    CheckFinite(c.targetMonthStart, "non-finite targetMonthStart");
    CheckFinite(c.birthInstant, "non-finite birthInstant");
    CheckFinite(c.elapsedDays, "non-finite elapsedDays");
    for (int r = 1; r <= calc::kRhythmCount; ++r) {
        const calc::RhythmSeries& s = c.series[r];
        Check(s.count == c.daysInTargetMonth + 1, "series count != days + 1", s.count, r);
        Check(s.count <= calc::kMaxChartPoints, "series longer than 32 points", s.count, r);
        for (int k = 1; k <= s.count; ++k) {
            CheckFinite(s(k), "non-finite rhythm value");
            Check(s(k) >= -1 && s(k) <= 1, "rhythm value outside [-1, 1]", s(k), k);
        }
    }
    CheckCalendar(e, c);

    RecordingTitle title;
    RecordingCanvas canvas;
    chart::DrawChart(c, title, canvas);
    CheckChart(c, title, canvas);
    return 0;
}
