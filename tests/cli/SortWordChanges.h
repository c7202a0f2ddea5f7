#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "tests/app/core/ObjectFileMaker.h"

// Checks, with GoogleTest expectations, that an object file's bytes after a
// save differ from those before only as a save in place of the four sort
// words of the definitions in `changed` makes them differ: every resource
// but those is as it was, at the same place; each of those holds its old
// record with the new sort words and carries the swizzled mark. Up to the
// old map, no byte but the header's map offset, those blocks' flags and
// their sort words changed.
void ExpectOnlySortWordsChanged(const std::string& before, const std::string& after,
                                const std::map<int16_t, StoredSorts>& changed);
