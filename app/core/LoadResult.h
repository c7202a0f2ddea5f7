#pragma once

// What reading an object's sorts found.
enum class LoadResult {
  kNothingSelected,  // no valid file line or object line
  kNotFound,         // the file could not be opened or holds no such definition
  kLoaded,
  kNotInCatalogue,   // loaded, but room and function sort are both 0
};
