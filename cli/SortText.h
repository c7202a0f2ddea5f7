#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "app/core/SortValues.h"

// The four sorts of an object as text, named the way the organizer's sort
// controls show them (combo box items and ticked downtown boxes), each with
// the raw value stored in the record.

// Writes four lines:
//   function: <item> (<value>)
//   subsort: <item> (<value>)        "subsort: (<value>)" when no item is selected
//   room: <item> (<value>)
//   downtown: <box>, <box> (<value>) "downtown: (<value>)" when no box is ticked
// The downtown value is followed by "; bits without a box: <bits>" when it has
// bits that no box shows. An object that is not in the buy catalogue is shown
// as the controls show it, reset to "None" with no box ticked.
void WriteSortLines(const SortValues& values, std::ostream& out);

// Names for an object's sorts: the item of each list that the value selects
// (empty when the subsort list has no item for it) and the downtown boxes
// its bits tick, in box order, separated by ", ".
struct ShownSorts {
  std::string fFunction;
  std::string fSubsort;
  std::string fRoom;
  std::string fDowntown;
};
// What the sort controls show: the items and boxes of the values, but for an
// object that is not in the buy catalogue the controls as the reset leaves
// them, "None" in each list and no box ticked.
ShownSorts ShownSortNames(const SortValues& values);
// The items and boxes of the values, in or out of the catalogue.
ShownSorts ItemNames(const SortValues& values);

// A stored value with the name shown for it: "8 (Electronics)", or just the
// number when `shown` is empty.
std::string ValueWithName(int32_t value, const std::string& shown);

// The item of the subsort list of `functionSort` that the controls select
// for `subsort`; empty when the list has no such item.
std::string SubsortName(int32_t functionSort, int32_t subsort);

// The bits of a downtown value (its low 16 bits) that no check box shows.
int32_t DowntownBitsWithoutBox(int32_t downtown);

// The line written for an object outside the buy catalogue.
extern const char* const kNotInCatalogueLine;
