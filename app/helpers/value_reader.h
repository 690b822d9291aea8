// Item reader for the comma- and line-separated data files. Items are
// separated by commas or line ends; leading blanks are skipped; an item that
// starts with a double quote runs to the next double quote and loses the
// quotes. The reader is independent of the user's locale.
#pragma once

#include <filesystem>
#include <fstream>
#include <istream>
#include <memory>
#include <sstream>
#include <string>

namespace nemora {

class ValueReader {
 public:
  // Reads from an open stream (not owned).
  explicit ValueReader(std::istream& in) : in_(&in) {}
  // Reads a text held in memory (tests, fuzzing).
  static ValueReader fromText(std::string text);
  // Opens a file; good() is false when it cannot be opened.
  static ValueReader open(const std::filesystem::path& path);

  ValueReader(ValueReader&&) = default;
  ValueReader& operator=(ValueReader&&) = default;

  bool good() const { return in_ != nullptr && !openFailed_; }
  // True once every item has been read.
  bool atEnd();
  // Next raw item ("" at the end of the file, and for empty items).
  std::string nextItem();

 private:
  ValueReader() = default;
  std::unique_ptr<std::istream> owned_;
  std::istream* in_ = nullptr;
  bool openFailed_ = false;
};

}  // namespace nemora
