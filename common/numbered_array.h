// An array numbered from 1, as the point array and the peak arrays are numbered in the
// files: element n is at index n, index 0 is a placeholder that is never a real entry.
#pragma once

#include <cassert>
#include <cstddef>
#include <utility>
#include <vector>

namespace vk7 {

template <class T>
class NumberedArray {
public:
    NumberedArray() : v_(1) {}
    explicit NumberedArray(int count) : v_(static_cast<size_t>(count) + 1) {}

    int count() const { return static_cast<int>(v_.size()) - 1; }
    bool empty() const { return count() == 0; }

    // Element n, 1 <= n <= count().
    T& operator[](int n) {
        assert(n >= 1 && n <= count());
        return v_[static_cast<size_t>(n)];
    }
    const T& operator[](int n) const {
        assert(n >= 1 && n <= count());
        return v_[static_cast<size_t>(n)];
    }
    bool valid(int n) const { return n >= 1 && n <= count(); }

    void clear() { v_.resize(1); }
    void resize(int count) { v_.resize(static_cast<size_t>(count) + 1); }
    void push_back(const T& x) { v_.push_back(x); }
    void push_back(T&& x) { v_.push_back(std::move(x)); }
    // Inserts `x` as element n (1 <= n <= count() + 1); the later elements move up by one.
    void insert(int n, T x) {
        assert(n >= 1 && n <= count() + 1);
        v_.insert(v_.begin() + n, std::move(x));
    }
    // Removes element n; the later elements move down by one.
    void erase(int n) {
        assert(n >= 1 && n <= count());
        v_.erase(v_.begin() + n);
    }

    // Iteration over elements 1..count().
    auto begin() { return v_.begin() + 1; }
    auto end() { return v_.end(); }
    auto begin() const { return v_.begin() + 1; }
    auto end() const { return v_.end(); }

    bool operator==(const NumberedArray& o) const { return v_ == o.v_; }

private:
    std::vector<T> v_;
};

}  // namespace vk7
