#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Reads comma-separated values as RFC 4180 lays them out, and as
// spreadsheets write them:
// - records end with CR LF, a lone LF or a lone CR; the last one may end
//   with the text instead;
// - a field that starts with '"' is quoted: it runs to the next '"' that is
//   not doubled, takes "" as one '"', and may hold commas and line ends; only
//   a comma or the end of the record may follow it;
// - any other field runs to the next comma or line end, taken as it is;
// - a UTF-8 byte order mark at the very start is not part of the text.
// Bytes are taken as they are; nothing checks that they are UTF-8.
class CsvReader {
 public:
  explicit CsvReader(std::string_view text);

  // Replaces `fields` with the next record's. False at the end of the text,
  // and on a malformed record, with Error() saying what is wrong.
  bool Next(std::vector<std::string>* fields);

  // The number of the record Next last read, counted from 1.
  int32_t Record() const { return fRecord; }
  // Empty unless the text is malformed.
  const std::string& Error() const { return fError; }

 private:
  bool AtLineEnd() const;
  void SkipLineEnd();

  std::string_view fText;
  size_t fAt = 0;
  int32_t fRecord = 0;
  std::string fError;
};
