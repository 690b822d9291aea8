#include "app/helpers/value_reader.h"

namespace nemora {

ValueReader ValueReader::fromText(std::string text) {
  ValueReader reader;
  reader.owned_ = std::make_unique<std::istringstream>(std::move(text));
  reader.in_ = reader.owned_.get();
  return reader;
}

ValueReader ValueReader::open(const std::filesystem::path& path) {
  ValueReader reader;
  auto file = std::make_unique<std::ifstream>(path, std::ios::binary);
  reader.openFailed_ = !file->is_open();
  reader.owned_ = std::move(file);
  reader.in_ = reader.owned_.get();
  return reader;
}

bool ValueReader::atEnd() {
  if (!good()) return true;
  return in_->peek() == std::char_traits<char>::eof();
}

std::string ValueReader::nextItem() {
  if (atEnd()) return {};
  std::istream& in = *in_;
  auto isBlank = [](int c) { return c == ' ' || c == '\t'; };
  while (isBlank(in.peek())) in.get();

  std::string item;
  auto endsItem = [](int c) { return c == ',' || c == '\n' || c == '\r' || c == std::char_traits<char>::eof(); };
  // Consumes the separator after an item; a CR LF pair counts as one line end.
  auto consumeSeparator = [&in] {
    int c = in.get();
    if (c == '\r' && in.peek() == '\n') in.get();
  };

  if (in.peek() == '"') {
    in.get();
    for (int c = in.get(); c != '"' && c != std::char_traits<char>::eof(); c = in.get())
      item += static_cast<char>(c);
    // Anything between the closing quote and the separator is ignored.
    while (!endsItem(in.peek())) in.get();
    consumeSeparator();
    return item;
  }
  while (!endsItem(in.peek())) item += static_cast<char>(in.get());
  consumeSeparator();
  while (!item.empty() && isBlank(static_cast<unsigned char>(item.back()))) item.pop_back();
  return item;
}

}  // namespace nemora
