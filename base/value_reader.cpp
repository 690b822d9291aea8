#include "base/value_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iterator>

#include "base/errors.h"

namespace nemora {

ValueReader::ValueReader(std::istream& in)
    : text_(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()) {
  skipByteOrderMark();
}

ValueReader ValueReader::fromText(std::string text) {
  ValueReader reader;
  reader.text_ = std::move(text);
  reader.skipByteOrderMark();
  return reader;
}

ValueReader ValueReader::open(const std::filesystem::path& path) {
  ValueReader reader;
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    reader.systemError_ = errno;
    return reader;
  }
  struct stat info {};
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) reader.text_.reserve(static_cast<size_t>(info.st_size));
  char buffer[65536];
  for (;;) {
    ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      reader.systemError_ = errno;  // a folder gives EISDIR here
      reader.text_.clear();
      break;
    }
    reader.text_.append(buffer, static_cast<size_t>(got));
  }
  ::close(fd);
  reader.skipByteOrderMark();
  return reader;
}

void ValueReader::skipByteOrderMark() {
  if (text_.compare(0, 3, "\xEF\xBB\xBF") == 0) pos_ = 3;
}

bool ValueReader::atEnd() {
  if (pos_ < text_.size()) return false;
  // Nothing more: a defect found now stands on the last line.
  itemLine_ = afterLineEnd_ && line_ > 1 ? line_ - 1 : line_;
  return true;
}

std::string ValueReader::nextItem() { return std::string(nextItemView()); }

std::string_view ValueReader::nextItemView() {
  if (atEnd()) return {};
  const size_t size = text_.size();
  auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
  auto endsItem = [&](size_t at) {
    return at >= size || text_[at] == ',' || text_[at] == '\n' || text_[at] == '\r';
  };
  // Consumes the separator after an item; a CR LF pair counts as one line end.
  auto consumeSeparator = [&] {
    afterLineEnd_ = false;
    if (pos_ >= size) return;
    char c = text_[pos_++];
    if (c == '\r' && pos_ < size && text_[pos_] == '\n') ++pos_;
    if (c == '\r' || c == '\n') {
      ++line_;
      afterLineEnd_ = true;
    }
  };

  while (pos_ < size && isBlank(text_[pos_])) ++pos_;
  itemLine_ = line_;
  if (pos_ < size && text_[pos_] == '"') {
    size_t close = text_.find('"', ++pos_);
    if (close == std::string::npos) close = size;
    std::string_view item(text_.data() + pos_, close - pos_);
    for (size_t i = 0; i < item.size(); ++i)
      if (item[i] == '\n' || (item[i] == '\r' && (i + 1 == item.size() || item[i + 1] != '\n'))) ++line_;
    pos_ = close < size ? close + 1 : size;
    // Anything between the closing quote and the separator is ignored.
    while (!endsItem(pos_)) ++pos_;
    consumeSeparator();
    return item;
  }
  const char* const text = text_.data();
  size_t start = pos_, end = pos_;
  while (end < size && text[end] != ',' && text[end] != '\n' && text[end] != '\r') ++end;
  pos_ = end;
  consumeSeparator();
  while (end > start && isBlank(text[end - 1])) --end;
  return std::string_view(text + start, end - start);
}

FileReadFailure fileReadFailure(int systemError, std::string_view fileName) {
  std::string name(fileName);
  if (systemError == ENOENT || systemError == ENOTDIR) return {errFileNotFound, "File not found: " + name};
  if (systemError == EACCES || systemError == EPERM) return {errPermissionDenied, "Permission denied: " + name};
  return {errPathFileAccess, "Path/File access error (" + std::string(std::strerror(systemError)) + "): " + name};
}

std::string fileLine(std::string_view fileName, int line) {
  return std::string(fileName) + ", line " + std::to_string(line);
}

std::string shownItem(std::string_view item) {
  constexpr size_t kLongest = 60;
  if (item.size() <= kLongest) return std::string(item);
  size_t cut = kLongest - 3;
  // Never cut a UTF-8 character in two.
  while (cut > 0 && (static_cast<unsigned char>(item[cut]) & 0xC0) == 0x80) --cut;
  return std::string(item.substr(0, cut)) + "...";
}

}  // namespace nemora
