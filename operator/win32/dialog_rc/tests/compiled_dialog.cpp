// SPDX-License-Identifier: MIT
#include "compiled_dialog.h"

#include <cstring>
#include <stdexcept>

namespace kestrix::test {

namespace {

constexpr std::uint16_t kDialogType = 5; // RT_DIALOG

// Little-endian words, as the .res format stores them, bounds-checked.
class Reader {
public:
    Reader(const std::string &bytes, std::size_t begin, std::size_t end) : bytes_(bytes), at_(begin), end_(end) {}

    std::uint16_t word()
    {
        need(2);
        const auto *p = reinterpret_cast<const unsigned char *>(bytes_.data() + at_);
        at_ += 2;
        return static_cast<std::uint16_t>(p[0] | p[1] << 8);
    }
    std::uint32_t dword()
    {
        const std::uint32_t low = word();
        return low | static_cast<std::uint32_t>(word()) << 16;
    }
    std::uint8_t byte()
    {
        need(1);
        return static_cast<std::uint8_t>(bytes_[at_++]);
    }
    // A zero-ended UTF-16 string, as UTF-8.
    std::string text()
    {
        std::string out;
        for (std::uint32_t unit = word(); unit != 0; unit = word()) {
            std::uint32_t code = unit;
            if (unit >= 0xD800 && unit < 0xDC00)
                code = 0x10000 + ((unit - 0xD800) << 10) + (word() - 0xDC00);
            appendUtf8(out, code);
        }
        return out;
    }
    // A number (0xFFFF then the number) or a name.
    std::string numberOrName()
    {
        if (peekWord() == 0xFFFF) {
            word();
            return "#" + std::to_string(word());
        }
        return text();
    }
    void alignTo(std::size_t base, std::size_t boundary)
    {
        while ((at_ - base) % boundary)
            ++at_;
    }
    std::size_t at() const { return at_; }

private:
    std::uint16_t peekWord()
    {
        const std::size_t keep = at_;
        const std::uint16_t w = word();
        at_ = keep;
        return w;
    }
    void need(std::size_t n) const
    {
        if (at_ + n > end_)
            throw std::runtime_error("the resource data ends early");
    }
    static void appendUtf8(std::string &out, std::uint32_t c)
    {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | c >> 6);
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | c >> 12);
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | c >> 18);
            out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }

    const std::string &bytes_;
    std::size_t at_, end_;
};

std::string className(const std::string &numberOrName)
{
    if (numberOrName == "#128")
        return "Button";
    if (numberOrName == "#129")
        return "Edit";
    if (numberOrName == "#130")
        return "Static";
    return numberOrName;
}

CompiledDialog readDialogEx(Reader &r)
{
    const std::size_t base = r.at();
    if (r.word() != 1 || r.word() != 0xFFFF)
        throw std::runtime_error("the dialog is no DIALOGEX template");
    CompiledDialog d;
    r.dword(); // help id
    r.dword(); // extended style
    d.style = r.dword();
    const int count = r.word();
    r.word(); // x, y
    r.word();
    d.width = static_cast<std::int16_t>(r.word());
    d.height = static_cast<std::int16_t>(r.word());
    r.numberOrName(); // menu
    r.numberOrName(); // class
    d.title = r.text();
    d.fontPoints = r.word();
    r.word(); // weight
    r.byte(); // italic
    d.charset = r.byte();
    d.fontName = r.text();
    for (int i = 0; i < count; ++i) {
        r.alignTo(base, 4);
        CompiledControl c;
        r.dword(); // help id
        r.dword(); // extended style
        c.style = r.dword();
        c.x = static_cast<std::int16_t>(r.word());
        c.y = static_cast<std::int16_t>(r.word());
        c.width = static_cast<std::int16_t>(r.word());
        c.height = static_cast<std::int16_t>(r.word());
        c.id = static_cast<std::int32_t>(r.dword());
        c.windowClass = className(r.numberOrName());
        c.title = r.numberOrName();
        const int extra = r.word();
        for (int k = 0; k < extra; ++k)
            r.byte();
        d.controls.push_back(c);
    }
    return d;
}

} // namespace

std::optional<CompiledDialog> compiledDialog(const std::string &resBytes, int id)
{
    std::size_t at = 0;
    // Each resource: its data size and header size, then the header (type,
    // name, version and flags), then the data, each on a 4-byte boundary.
    while (at + 8 <= resBytes.size()) {
        Reader head(resBytes, at, resBytes.size());
        const std::uint32_t dataSize = head.dword(), headerSize = head.dword();
        const std::string type = head.numberOrName(), name = head.numberOrName();
        const std::size_t data = at + headerSize;
        if (headerSize < 8 || data + dataSize > resBytes.size())
            throw std::runtime_error("no resource file");
        if (type == "#" + std::to_string(kDialogType) && name == "#" + std::to_string(id)) {
            Reader body(resBytes, data, data + dataSize);
            return readDialogEx(body);
        }
        at = (data + dataSize + 3) & ~std::size_t{3};
    }
    return std::nullopt;
}

} // namespace kestrix::test
