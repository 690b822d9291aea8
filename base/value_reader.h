// Item reader for the comma- and line-separated data files. Items are
// separated by commas or line ends; leading blanks are skipped; an item that
// starts with a double quote runs to the next double quote and loses the
// quotes. A UTF-8 byte-order mark at the start of the text is skipped. The
// reader is independent of the user's locale and keeps the line number of
// each item, so that a reader can say where in its file a defect stands.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <istream>
#include <string>
#include <string_view>

namespace nemora {

class ValueReader {
 public:
  // Reads all that remains of a stream.
  explicit ValueReader(std::istream& in);
  // Reads a text held in memory (tests, fuzzing, files read whole).
  static ValueReader fromText(std::string text);
  // Reads a whole file; good() is false when it cannot be opened or read,
  // and systemError() then tells why (an errno value).
  static ValueReader open(const std::filesystem::path& path);

  ValueReader(ValueReader&&) = default;
  ValueReader& operator=(ValueReader&&) = default;

  bool good() const { return systemError_ == 0; }
  int systemError() const { return systemError_; }
  // True once every item has been read.
  bool atEnd();
  // Next raw item ("" at the end of the file, and for empty items).
  std::string nextItem();
  // The same, as a view into the text, valid as long as the reader.
  std::string_view nextItemView();

  // Line (from 1) on which the last item read starts; at the end of the
  // text, the last line.
  int line() const { return itemLine_; }

  // Called with each comment item that the value reader skips, and its line;
  // lets a reader check comments that carry facts (a year, a count).
  std::function<void(const std::string& item, int line)> onComment;
  void noteComment(std::string_view item) const {
    if (onComment) onComment(std::string(item), itemLine_);
  }

 private:
  ValueReader() = default;
  void skipByteOrderMark();

  std::string text_;
  size_t pos_ = 0;
  int systemError_ = 0;
  int line_ = 1;        // line of the read position
  int itemLine_ = 1;    // line of the last item
  bool afterLineEnd_ = false;  // the last separator was a line end
};

// Why a data file could not be read, in the run-time's words, for messages:
// error 53 "File not found" (also a missing folder), 70 "Permission denied",
// otherwise 75 "Path/File access error" with the system's reason; the
// description ends with ": " and the file's name.
struct FileReadFailure {
  int32_t code;
  std::string description;
};
FileReadFailure fileReadFailure(int systemError, std::string_view fileName);

// Where a defect stands, for messages: "Venus.txt, line 12".
std::string fileLine(std::string_view fileName, int line);

// An item as a message shows it: at most 60 characters, a longer one cut
// with "..." so that a damaged file cannot flood a message.
std::string shownItem(std::string_view item);

}  // namespace nemora
