// ZelStringVector: an ordered, growable list of strings of one character type, as the plug-in core
// hands a server reply to the RCON tab, one string per line. Positions count from 0 and never skip;
// the list owns its strings.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace orvane::ui {

template <class Char>
class ZelStringVector {
public:
    using String = std::basic_string<Char>;
    using const_iterator = typename std::vector<String>::const_iterator;

    ZelStringVector() = default;
    ZelStringVector(std::initializer_list<String> lines) : lines_(lines) {}

    void push_back(String line) { lines_.push_back(std::move(line)); }
    void clear() { lines_.clear(); }
    std::size_t size() const { return lines_.size(); }
    bool empty() const { return lines_.empty(); }
    const String& operator[](std::size_t index) const { return lines_[index]; }
    const_iterator begin() const { return lines_.begin(); }
    const_iterator end() const { return lines_.end(); }

    friend bool operator==(const ZelStringVector&, const ZelStringVector&) = default;

private:
    std::vector<String> lines_;
};

}  // namespace orvane::ui
