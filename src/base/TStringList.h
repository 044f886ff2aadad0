// An unsorted list of code page 932 strings that keeps the order in which they were added.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class TStringList {
 public:
  void Add(std::string text) { items_.push_back(std::move(text)); }
  void Clear() noexcept { items_.clear(); }
  int Count() const noexcept { return static_cast<int>(items_.size()); }
  const std::string& operator[](int index) const { return items_.at(static_cast<std::size_t>(index)); }
  const std::vector<std::string>& Items() const noexcept { return items_; }

 private:
  std::vector<std::string> items_;
};
