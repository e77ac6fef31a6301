// What the fuzz targets share: a rule check that stops the run the way a
// crash does (libFuzzer keeps the input), and a reader that hands out the
// input a byte at a time, zeros once it is used up.

#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace vessmark::fuzz {

inline void Check(bool holds)
{
    if (!holds) {
        std::abort();
    }
}

class ByteReader {
public:
    ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    bool Done() const { return at_ >= size_; }
    // Four bytes, the first the highest.
    std::uint32_t Word()
    {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            value = value << 8 | Byte();
        }
        return value;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

} // namespace vessmark::fuzz
