// Post-link step for Stub.exe: moves the PE header (signature, file header,
// optional header and section table) to file offset 0x100, where the package
// reader expects it, and records the image size as the logical size in the
// DOS header (low half at 0xFC). Fails, leaving the file untouched, unless
// the header area has room and only zero padding would be overwritten.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kTargetOffset = 0x100;

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24);
}
uint16_t U16(const std::vector<uint8_t>& b, size_t at) {
    return uint16_t(b[at] | (b[at + 1] << 8));
}
void PutU32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = uint8_t(v >> (8 * i));
}

int Fail(const char* path, const char* why) {
    std::fprintf(stderr, "pe-header-move: %s: %s\n", path, why);
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: pe-header-move FILE.exe\n");
        return 2;
    }
    const char* path = argv[1];
    std::ifstream in(path, std::ios::binary);
    if (!in) return Fail(path, "cannot open");
    std::vector<uint8_t> image((std::istreambuf_iterator<char>(in)), {});
    in.close();

    if (image.size() < 0x400 || image[0] != 'M' || image[1] != 'Z')
        return Fail(path, "not an MZ image");
    const uint32_t oldOffset = U32(image, 0x3C);
    if (oldOffset + 24 > image.size() || std::memcmp(&image[oldOffset], "PE\0\0", 4) != 0)
        return Fail(path, "no PE signature at e_lfanew");
    const uint16_t sections = U16(image, oldOffset + 6);
    const uint16_t optionalSize = U16(image, oldOffset + 20);
    const uint32_t headerLength = 4 + 20 + optionalSize + 40u * sections;
    const uint32_t sizeOfHeaders = U32(image, oldOffset + 24 + 60);
    if (oldOffset + headerLength > image.size()) return Fail(path, "truncated header");

    if (oldOffset != kTargetOffset) {
        if (oldOffset > kTargetOffset) return Fail(path, "PE header lies beyond 0x100");
        const uint32_t newEnd = kTargetOffset + headerLength;
        if (newEnd > sizeOfHeaders) return Fail(path, "no room in the header area");
        for (uint32_t i = oldOffset + headerLength; i < newEnd; ++i)
            if (image[i] != 0) return Fail(path, "moving would overwrite non-zero bytes");
        for (uint32_t s = 0; s < sections; ++s) {
            const uint32_t rawData = U32(image, oldOffset + 24 + optionalSize + 40 * s + 20);
            if (rawData != 0 && rawData < newEnd) return Fail(path, "a section starts inside");
        }
        std::vector<uint8_t> header(image.begin() + oldOffset,
                                    image.begin() + oldOffset + headerLength);
        std::fill(image.begin() + oldOffset, image.begin() + oldOffset + headerLength, 0);
        std::copy(header.begin(), header.end(), image.begin() + kTargetOffset);
        PutU32(image, 0x3C, kTargetOffset);
    }
    // The logical size: 0 in the high half, the image size in the low half.
    PutU32(image, 0xF8, 0);
    PutU32(image, 0xFC, uint32_t(image.size()));

    const std::string temp = std::string(path) + ".tmp";
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(image.data()), std::streamsize(image.size()));
    out.close();
    if (!out || std::rename(temp.c_str(), path) != 0) {
        std::remove(temp.c_str());
        return Fail(path, "cannot write");
    }
    return 0;
}
