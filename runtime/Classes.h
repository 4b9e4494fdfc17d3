// Components and string lists of the form library.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "api/Export.h"

namespace zeb {

// An ordered list of lines.
class ZEB_RTL_API TStrings {
 public:
  void Add(std::string line) { lines_.push_back(std::move(line)); }
  void Clear() noexcept { lines_.clear(); }
  std::size_t Count() const noexcept { return lines_.size(); }
  const std::string& operator[](std::size_t index) const { return lines_.at(index); }
  const std::vector<std::string>& Lines() const noexcept { return lines_; }
  // The lines joined, each followed by a line break.
  std::string Text() const;

 private:
  std::vector<std::string> lines_;
};

// A component owns the components created with it as their owner and frees them when it is
// freed; a component freed first leaves its owner's list.
class ZEB_RTL_API TComponent {
 public:
  explicit TComponent(TComponent* owner);
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;
  virtual ~TComponent();

  TComponent* Owner() const noexcept { return owner_; }
  std::size_t ComponentCount() const noexcept { return components_.size(); }
  TComponent* Components(std::size_t index) const { return components_.at(index); }

  std::string Name;

 private:
  TComponent* owner_;
  std::vector<TComponent*> components_;
};

}  // namespace zeb
