#pragma once

#include <stdexcept>

// A negative CTGString length or count: a programming error, caught nowhere.
class CTGLengthError : public std::length_error {
 public:
  CTGLengthError() : std::length_error("Length exception occurred") {}
};
