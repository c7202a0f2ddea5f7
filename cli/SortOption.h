#pragma once

#include <cstdint>
#include <string>

// The value of a velt-sort set option: a catalogue name as the organizer's
// sort controls show it (ASCII letters compared without regard to case) or a
// decimal number.
//
// A text that starts with a digit, "-" or "+" is a number: it must be a whole
// decimal number from -32768 to 65535 (anything a 16-bit field can hold,
// read signed or unsigned), and it is stored as given, whatever bits it has.
// Anything else is a name:
// - function and room sorts: an item of the combo box, stored as its bit;
// - subsort: an item of the subsort list of the function sort the object will
//   have, stored as its bit;
// - downtown: a comma-separated list of check box names (spaces around a
//   name are ignored), stored as exactly the bits of those boxes, as ticking
//   them in the organizer would; an empty text ticks no box.
enum class SortOption { kFunction, kSubsort, kRoom, kDowntown };

// The option's name on the command line ("--function", ...).
const char* SortOptionName(SortOption option);

// False, with a sentence naming the valid values in `error`, when `text` is
// neither a valid number nor a valid name. `functionSort` is only used for
// the subsort.
bool ParseSortOption(SortOption option, const std::string& text, int32_t functionSort, int32_t* value,
                     std::string* error);

// A name alone, as ParseSortOption reads one; `label` names where the text
// came from in the error ("--room", "room_name").
bool ParseSortName(SortOption option, const std::string& label, const std::string& text, int32_t functionSort,
                   int32_t* value, std::string* error);

// A whole decimal number from -32768 to 65535, with an optional sign.
bool ParseSortNumber(const std::string& text, int32_t* value);

// The range of ParseSortNumber in words, for messages.
extern const char* const kSortNumberRange;
