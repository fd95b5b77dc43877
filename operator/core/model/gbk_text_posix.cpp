// SPDX-License-Identifier: MIT
// Pairs of code page 936 through iconv. glibc's "CP936" is only another name
// for its "GBK" table, which gives every pair the same character as Windows'
// code page 936 does, apart from the private-use ones it leaves out (and
// gbk_text.cpp rejects anyway); "GB18030" differs on about a hundred pairs
// and on 0x80.
#include "gbk_text_pair.h"

#include <cstddef>
#include <iconv.h>

namespace kestrix::gbk_text_detail {
namespace {

// One descriptor per thread, opened on the thread's first pair: opening one
// costs far more than converting a pair, and a descriptor must not be used
// by two threads at once.
class PairConverter {
public:
    PairConverter() : cd_(iconv_open("UTF-16LE", "GBK")) {}
    ~PairConverter()
    {
        if (isOpen())
            iconv_close(cd_);
    }
    PairConverter(const PairConverter &) = delete;
    PairConverter &operator=(const PairConverter &) = delete;

    char16_t operator()(unsigned char lead, unsigned char trail)
    {
        // Without the table (a system with no gconv modules) no pair is a
        // character; ASCII still shows.
        if (!isOpen())
            return 0;
        char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        unsigned char out[4];
        char *inAt = in;
        char *outAt = reinterpret_cast<char *>(out);
        std::size_t inLeft = sizeof in;
        std::size_t outLeft = sizeof out;
        const bool converted = iconv(cd_, &inAt, &inLeft, &outAt, &outLeft) != static_cast<std::size_t>(-1);
        if (!converted || inLeft != 0 || sizeof out - outLeft != 2) {
            iconv(cd_, nullptr, nullptr, nullptr, nullptr); // no half-read pair carries over
            return 0;
        }
        return static_cast<char16_t>(out[0] | out[1] << 8);
    }

private:
    bool isOpen() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    iconv_t cd_;
};

} // namespace

char16_t pairCharacter(unsigned char lead, unsigned char trail)
{
    thread_local PairConverter convert;
    return convert(lead, trail);
}

} // namespace kestrix::gbk_text_detail
