#include "platform/text/cp932.h"

#include <iconv.h>

#include <cerrno>

namespace {

// One converter per direction and thread; iconv descriptors are not thread-safe.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter()
    {
        if (cd_ != reinterpret_cast<iconv_t>(-1)) {
            iconv_close(cd_);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // badLength gives how many input bytes to drop at an unconvertible position.
    template <typename BadLength>
    std::string Run(std::string_view in, BadLength badLength)
    {
        std::string out;
        if (cd_ == reinterpret_cast<iconv_t>(-1)) {
            out.assign(in.size(), '?');
            return out;
        }
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(in.data());
        size_t srcLeft = in.size();
        char buffer[512];
        while (srcLeft > 0) {
            char* dst = buffer;
            size_t dstLeft = sizeof(buffer);
            size_t result = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            int error = errno;
            out.append(buffer, dst - buffer);
            if (result != static_cast<size_t>(-1)) {
                continue;
            }
            if (error == E2BIG) {
                continue;
            }
            // EILSEQ or EINVAL (a sequence cut by the end): replace it and go on.
            size_t skip = badLength(reinterpret_cast<const unsigned char*>(src), srcLeft);
            out.push_back('?');
            src += skip;
            srcLeft -= skip;
            iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        }
        return out;
    }

private:
    iconv_t cd_;
};

// A bad CP932 byte is dropped alone, so a plain ASCII trail after a broken lead survives.
size_t Cp932BadLength(const unsigned char*, size_t)
{
    return 1;
}

// A bad UTF-8 sequence is dropped with its continuation bytes (an unmapped character
// whole, a broken one up to the first byte that cannot belong to it).
size_t Utf8BadLength(const unsigned char* at, size_t left)
{
    size_t length = 1;
    if (at[0] >= 0xC2 && at[0] <= 0xDF) {
        length = 2;
    } else if (at[0] >= 0xE0 && at[0] <= 0xEF) {
        length = 3;
    } else if (at[0] >= 0xF0 && at[0] <= 0xF4) {
        length = 4;
    }
    size_t skip = 1;
    while (skip < length && skip < left && (at[skip] & 0xC0) == 0x80) {
        ++skip;
    }
    return skip;
}

}  // namespace

namespace platform {

std::string Cp932ToUtf8(std::string_view cp932)
{
    // Below 0x80 CP932 is ASCII, as UTF-8 is: most paths and log lines need no converter.
    bool ascii = true;
    for (const char c : cp932) {
        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    }
    if (ascii) {
        return std::string(cp932);
    }
    thread_local Converter converter("UTF-8", "CP932");
    return converter.Run(cp932, Cp932BadLength);
}

std::string Utf8ToCp932(std::string_view utf8)
{
    thread_local Converter converter("CP932", "UTF-8");
    return converter.Run(utf8, Utf8BadLength);
}

}  // namespace platform
