#pragma once

#include <stdexcept>

// A CTGString index or position outside the string: a programming error,
// caught nowhere.
class CTGOutOfRange : public std::out_of_range {
 public:
  CTGOutOfRange() : std::out_of_range("Out of range exception occurred") {}
};
