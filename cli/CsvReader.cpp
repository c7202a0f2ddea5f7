#include "cli/CsvReader.h"

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

CsvReader::CsvReader(std::string_view text) : fText(text) {
  if (fText.substr(0, kByteOrderMark.size()) == kByteOrderMark) fAt = kByteOrderMark.size();
}

bool CsvReader::AtLineEnd() const { return fText[fAt] == '\r' || fText[fAt] == '\n'; }

void CsvReader::SkipLineEnd() {
  if (fText[fAt] == '\r' && fAt + 1 < fText.size() && fText[fAt + 1] == '\n') ++fAt;
  ++fAt;
}

bool CsvReader::Next(std::vector<std::string>* fields) {
  fields->clear();
  if (!fError.empty() || fAt >= fText.size()) return false;
  ++fRecord;
  for (;;) {
    std::string field;
    if (fText[fAt] == '"') {
      ++fAt;
      for (;;) {
        const size_t quote = fText.find('"', fAt);
        if (quote == std::string_view::npos) {
          fError = "a quoted field is not closed";
          return false;
        }
        field.append(fText.substr(fAt, quote - fAt));
        fAt = quote + 1;
        if (fAt < fText.size() && fText[fAt] == '"') {
          field.push_back('"');
          ++fAt;
          continue;
        }
        break;
      }
      if (fAt < fText.size() && fText[fAt] != ',' && !AtLineEnd()) {
        fError = "text follows the closing quote of a field";
        return false;
      }
    } else {
      const size_t end = fText.find_first_of(",\r\n", fAt);
      const size_t stop = end == std::string_view::npos ? fText.size() : end;
      field.assign(fText.substr(fAt, stop - fAt));
      fAt = stop;
    }
    fields->push_back(std::move(field));
    if (fAt >= fText.size()) return true;
    if (AtLineEnd()) {
      SkipLineEnd();
      return true;
    }
    ++fAt;  // the comma
    // A comma at the very end leaves one empty field after it.
    if (fAt >= fText.size()) {
      fields->emplace_back();
      return true;
    }
  }
}
