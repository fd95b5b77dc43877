// SPDX-License-Identifier: MIT
// A heap copy of exactly the bytes under test, so that AddressSanitizer
// reports a read even one byte past their end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>

namespace kestrix_fuzz {

class ExactBuffer {
public:
    // AddressSanitizer lets a read of the one byte it reserves for a
    // zero-size allocation pass, so no bytes are placed just past the end of
    // a one-byte allocation instead.
    ExactBuffer(const std::uint8_t *data, std::size_t size)
        : storage_(new std::uint8_t[size == 0 ? 1 : size]), begin_(storage_.get() + (size == 0 ? 1 : 0)), size_(size)
    {
        if (size != 0)
            std::memcpy(storage_.get(), data, size);
    }

    const std::uint8_t *data() const { return begin_; }
    std::size_t size() const { return size_; }
    std::span<const std::uint8_t> view() const { return {begin_, size_}; }

private:
    std::unique_ptr<std::uint8_t[]> storage_;
    const std::uint8_t *begin_;
    std::size_t size_;
};

} // namespace kestrix_fuzz
