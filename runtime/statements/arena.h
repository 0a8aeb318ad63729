// Memory of the parsed statements: one arena per step, freed whole when the step ends.
#pragma once
#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace rt::stmt {

class Arena {
public:
    // A zeroed block of n bytes, aligned for any scalar. A large block is a block of its own,
    // which release() gives back (a long list replaced by the same option given again).
    void* alloc(std::size_t n) {
        n = (n + 15) & ~std::size_t(15);
        if (n >= kLarge) {
            auto b = std::make_unique<std::max_align_t[]>(n / sizeof(std::max_align_t) + 1);
            std::memset(b.get(), 0, n);
            void* p = b.get();
            large_.emplace(p, std::move(b));
            return p;
        }
        if (n > left_) {
            std::size_t size = n > 16384 ? n : 16384;
            blocks_.push_back(std::make_unique<std::max_align_t[]>(size / sizeof(std::max_align_t) + 1));
            next_ = reinterpret_cast<char*>(blocks_.back().get());
            left_ = size;
            std::memset(next_, 0, size);
        }
        void* p = next_;
        next_ += n;
        left_ -= n;
        return p;
    }
    template <class T>
    T* make(std::size_t count = 1) { return static_cast<T*>(alloc(sizeof(T) * (count ? count : 1))); }
    // A copy of s, NUL-terminated.
    char* text(const std::string& s) {
        char* p = static_cast<char*>(alloc(s.size() + 1));
        std::memcpy(p, s.data(), s.size());
        return p;
    }
    // Gives back a large block; anything else stays until clear().
    void release(const void* p) { large_.erase(const_cast<void*>(p)); }
    void clear() {
        large_.clear();
        blocks_.clear();
        next_ = nullptr;
        left_ = 0;
    }

private:
    static constexpr std::size_t kLarge = 65536;
    std::vector<std::unique_ptr<std::max_align_t[]>> blocks_;
    std::unordered_map<void*, std::unique_ptr<std::max_align_t[]>> large_;
    char* next_ = nullptr;
    std::size_t left_ = 0;
};

}  // namespace rt::stmt
