#pragma once

#include <string>
#include <vector>

#include "app/core/SortValues.h"
#include "cli/CatalogueTable.h"

// The sorts one row of an edited catalogue asks for. Each sort has two
// cells: its number, and its name (for downtown the ticked boxes). A cell
// that is missing or empty (after spaces around it) counts as not given.
// - With a number given, the number is stored as `set` stores one, bit for
//   bit. A name given beside it must be what the controls show for that
//   number (letter case, spaces around a name and the order of boxes do not
//   count), or the row is refused: one cannot tell which of the two was
//   meant.
// - With only a name given: a name the controls show for the stored value
//   keeps that value, bit for bit; any other is read as the controls would
//   set it, storing the item's single bit or exactly the bits of the boxes.
// - With neither, the stored value stays.
// Subsort names are read in the list of the function sort the row asks
// for; a name from another function sort's list that stands for the same
// bit as the subsort value also agrees with it (the dialog keeps the subsort
// value when the function sort changes, and so does a row whose subsort
// cells were left as they were). The answer
// depends on the stored sorts only where a name stands alone, so applying a
// table a second time asks for nothing more, and a row as `catalogue` wrote
// it asks for no change.
class CatalogueEdit {
 public:
  // False, with one sentence per problem in `problems`, when a cell cannot
  // be read or the two cells of a sort disagree.
  static bool Wanted(const CatalogueTable::Row& row, const SortValues& stored, SortValues* wanted,
                     std::vector<std::string>* problems);

  // The sorts the row's number cells give, 0 for each that gives none: the
  // stored sorts to compare with where the object's own cannot be read.
  static SortValues Written(const CatalogueTable::Row& row);
};
