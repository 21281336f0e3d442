// The committed entries of the main window, the era offsets, and the range
// checks that decide whether a calculation may run.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace calc {

// Six committed entries, slots 1 to 6:
//   1 birth year, 2 birth month, 3 birth day, 4 birth time (hours),
//   5 target year, 6 target month.
// A slot is empty until Enter is pressed in its box; then it holds the box's
// whole text, exactly as typed (the empty text included). Committed texts are
// never rewritten: the era offsets are applied to a copy at every calculation.
class EntryRecord {
public:
    static constexpr int kSlots = 6;

    void Commit(int slot, std::string text);
    const std::optional<std::string>& Slot(int slot) const;

private:
    std::array<std::optional<std::string>, kSlots> slots_;
};

// An era offset: unset until an era button of its group is clicked, then the
// Western year before the era's first year (0 for the Western calendar).
using EraOffset = std::optional<int>;

inline constexpr int kTaishoOffset = 1911;
inline constexpr int kShowaOffset = 1925;
inline constexpr int kHeiseiOffset = 1988;
inline constexpr int kWesternOffset = 0;

// Reads an entry text as a number. Accepted: optional sign, digits with an
// optional decimal point (".5" and "5." too), surrounded by blanks (space,
// tab, U+3000). The full-width forms ０-９ ＋ － ． count as their ASCII twins.
// Anything else, the empty text included, and a value too large for a double,
// is not a number; a value too small for one reads as 0.
std::optional<double> ParseNumberText(std::string_view text);

// The numeric values of the six entries for one calculation, after the era
// offsets. A slot is nullopt when its text is not a number.
struct NumericEntries {
    std::array<std::optional<double>, EntryRecord::kSlots> value;

    // Value of slot 1..6; only meaningful once ValidateEntries has passed.
    double operator[](int slot) const { return value[slot - 1].value_or(0.0); }
};

// The numeric value of every slot (empty slots count as 0), with the birth
// offset added to slot 1 and the target offset to slot 5 when they are set.
// The record itself is left untouched, so the offsets are added exactly once
// however many calculations run on the same committed texts.
NumericEntries ApplyEraOffsets(const EntryRecord& record, EraOffset birthEraOffset,
                               EraOffset targetEraOffset);

// The nine range checks, all evaluated, in order, or-ed. Returns true when the
// entries pass. An entry that is not a number, or any non-finite value, fails.
bool ValidateEntries(const NumericEntries& entries);

// Text of a number as the chart writes it: one space in the sign position for
// 0 and above (a minus sign otherwise), then the shortest decimal form, with
// no exponent, no thousands separators and no decimal point for a whole
// number: " 2005", " 4.5", "-3".
std::string NumberText(double value);

}  // namespace calc
