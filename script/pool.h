// Storage of the interpreter: blocks of one size kept for reuse, and arrays whose elements
// stay in place. Every call of a script function makes and destroys a variable entry and a
// storage object per parameter and argument: the pools keep those blocks. Plain data without a
// destructor, so that objects destroyed late at exit can still give their blocks back.
// The interpreter runs on one thread.
#pragma once
#include <cstddef>
#include <new>
#include <vector>

// Under the address sanitizer nothing is kept, so that it still sees every use after free.
#if defined(__SANITIZE_ADDRESS__)
#define SCR_POOL_KEEP 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SCR_POOL_KEEP 0
#endif
#endif
#ifndef SCR_POOL_KEEP
#define SCR_POOL_KEEP 512
#endif

template <size_t SIZE> struct SCR_POOL {
    static constexpr int KEEP = SCR_POOL_KEEP;   // blocks kept at most; the rest go back to the heap
    static inline void *kept[KEEP > 0 ? KEEP : 1];
    static inline int count = 0;
    static void *get() noexcept { return count ? kept[--count] : ::operator new(SIZE, std::nothrow); }
    static void put(void *p) noexcept
    {
        if (!p) return;
        if (count < KEEP) kept[count++] = p;
        else ::operator delete(p);
    }
};

// Class members that route the nothrow new and the delete of a class through its pool.
#define SCR_POOLED(T)                                                                             \
    static void *operator new(size_t n, const std::nothrow_t &) noexcept                         \
    {                                                                                             \
        return n == sizeof(T) ? SCR_POOL<sizeof(T)>::get() : ::operator new(n, std::nothrow);   \
    }                                                                                             \
    static void operator delete(void *p, size_t n) noexcept                                      \
    {                                                                                             \
        if (n == sizeof(T)) SCR_POOL<sizeof(T)>::put(p);                                          \
        else ::operator delete(p);                                                                \
    }

// A growing array whose elements stay where they are made (chunks of 2^SHIFT, never moved):
// what is built while another element is in use leaves that one in place.
template <class T, int SHIFT = 10> struct SCR_STABLE {
    static constexpr size_t N = size_t(1) << SHIFT;
    std::vector<T *> chunk;
    size_t count = 0;
    SCR_STABLE() = default;
    SCR_STABLE(const SCR_STABLE &) = delete;
    SCR_STABLE &operator=(const SCR_STABLE &) = delete;
    ~SCR_STABLE() { clear(); }
    T &operator[](size_t i) { return chunk[i >> SHIFT][i & (N - 1)]; }
    const T &operator[](size_t i) const { return chunk[i >> SHIFT][i & (N - 1)]; }
    size_t size() const { return count; }
    size_t capacity() const { return chunk.size() * N; }
    T &push_back(const T &v)
    {
        if (count == capacity()) {
            chunk.reserve(chunk.size() + 1);
            chunk.push_back(new T[N]);
        }
        return (*this)[count++] = v;
    }
    void resize(size_t n) { count = n < count ? n : count; }   // shrinks only
    void clear()
    {
        for (T *c : chunk) delete[] c;
        chunk.clear();
        count = 0;
    }
};
