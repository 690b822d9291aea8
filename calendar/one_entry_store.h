// The last argument and result of one conversion, so that a repeated call is
// answered without recomputing. Only successful results are kept, so a
// failing call shows its message every time.
#pragma once

#include <optional>

namespace nemora {

template <class Key, class Value>
class OneEntryStore {
 public:
  // The stored result for key, or nullptr.
  const Value* find(const Key& key) const { return key_ && *key_ == key ? &value_ : nullptr; }
  void keep(const Key& key, const Value& value) {
    key_ = key;
    value_ = value;
  }
  void clear() { key_.reset(); }

 private:
  std::optional<Key> key_;
  Value value_{};
};

}  // namespace nemora
