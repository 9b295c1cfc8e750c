#pragma once
// An array of plain values that can reserve room for the most it may ever hold and give back
// what stayed unused without copying what it holds: the room comes from malloc, and realloc
// shrinks a block in place (a large block is trimmed by the kernel). Room that is reserved and
// never written is never touched, so it costs address space, not memory. The room lies on the
// heap's own pages: asking the kernel for large pages (madvise) made filling a 1 GB trace slower
// and its time erratic, as the kernel compacts memory to find them, and gained nothing at 24
// hours.
#include <algorithm>
#include <cstdlib>
#include <new>
#include <span>
#include <type_traits>
#include <utility>

template <typename T>
class THeldArray {
  static_assert(std::is_trivially_copyable_v<T>);

 public:
  THeldArray() = default;
  THeldArray(const THeldArray&) = delete;
  THeldArray& operator=(const THeldArray&) = delete;
  THeldArray(THeldArray&& other) noexcept { *this = std::move(other); }
  THeldArray& operator=(THeldArray&& other) noexcept {
    std::swap(data_, other.data_);
    std::swap(size_, other.size_);
    std::swap(capacity_, other.capacity_);
    return *this;
  }
  ~THeldArray() { std::free(data_); }

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  const T* data() const { return data_; }
  const T* begin() const { return data_; }
  const T* end() const { return data_ + size_; }
  const T& operator[](size_t k) const { return data_[k]; }
  operator std::span<const T>() const { return {data_, size_}; }

  // Room for n values in all.
  void reserve(size_t n) {
    if (n <= capacity_) return;
    Resize(n);
  }
  // Makes room for n more values at the end and counts them held; they are the caller's to
  // write before they are read.
  T* extend(size_t n) {
    if (size_ + n > capacity_) Resize(std::max(2 * capacity_, size_ + n));
    T* const added = data_ + size_;
    size_ += n;
    return added;
  }
  // Gives back the room beyond the values held.
  void shrink_to_fit() {
    if (capacity_ == size_) return;
    if (size_ == 0) {
      *this = THeldArray();
      return;
    }
    Resize(size_);
  }

 private:
  void Resize(size_t n) {
    void* p = std::realloc(data_, n * sizeof(T));  // malloc while there is no block
    if (!p) throw std::bad_alloc();
    data_ = static_cast<T*>(p);
    capacity_ = n;
  }

  T* data_ = nullptr;
  size_t size_ = 0;
  size_t capacity_ = 0;
};
