// A small PNG writer for the canvas, so screens can be rendered and looked at
// without a window. The screen is mostly flat colour, so deflate with fixed
// codes and matches against the previous pixel and the row above is enough.
#include <cstdio>
#include <vector>

#include "ui/framework/draw.h"

namespace qz {

namespace {

// Bits written least significant first, as deflate wants them.
struct BitWriter {
    std::vector<uint8_t>& out;
    uint32_t acc = 0;
    int32_t count = 0;

    void put(uint32_t bits, int32_t n) {
        acc |= bits << count;
        count += n;
        while (count >= 8) {
            out.push_back(static_cast<uint8_t>(acc));
            acc >>= 8;
            count -= 8;
        }
    }
    // Huffman codes go most significant bit first.
    void putCode(uint32_t code, int32_t n) {
        uint32_t reversed = 0;
        for (int32_t i = 0; i < n; ++i) reversed |= ((code >> i) & 1u) << (n - 1 - i);
        put(reversed, n);
    }
    void flush() {
        if (count > 0) out.push_back(static_cast<uint8_t>(acc));
        acc = 0;
        count = 0;
    }
};

constexpr uint16_t LENGTH_BASE[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                      31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr uint8_t LENGTH_EXTRA[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr uint16_t DIST_BASE[30] = {1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
                                    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr uint8_t DIST_EXTRA[30] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

// A literal or length symbol in the fixed code.
void putSymbol(BitWriter& bw, uint32_t sym) {
    if (sym < 144)
        bw.putCode(0x30 + sym, 8);
    else if (sym < 256)
        bw.putCode(0x190 + sym - 144, 9);
    else if (sym < 280)
        bw.putCode(sym - 256, 7);
    else
        bw.putCode(0xC0 + sym - 280, 8);
}

void putMatch(BitWriter& bw, uint32_t length, uint32_t distance) {
    int32_t li = 28;
    while (LENGTH_BASE[li] > length) --li;
    putSymbol(bw, 257 + li);
    bw.put(length - LENGTH_BASE[li], LENGTH_EXTRA[li]);
    int32_t di = 29;
    while (DIST_BASE[di] > distance) --di;
    bw.putCode(di, 5);
    bw.put(distance - DIST_BASE[di], DIST_EXTRA[di]);
}

// zlib stream (one fixed-code block) of the data.
std::vector<uint8_t> zlibCompress(const std::vector<uint8_t>& data, uint32_t rowStride) {
    std::vector<uint8_t> out = {0x78, 0x01};
    BitWriter bw{out};
    bw.put(1, 1);  // last block
    bw.put(1, 2);  // fixed codes
    const size_t n = data.size();
    const uint32_t distances[2] = {3, rowStride};
    size_t i = 0;
    while (i < n) {
        uint32_t bestLen = 0, bestDist = 0;
        for (uint32_t d : distances) {
            if (d > i || d > 32768) continue;
            uint32_t len = 0;
            while (len < 258 && i + len < n && data[i + len] == data[i + len - d]) ++len;
            if (len > bestLen) {
                bestLen = len;
                bestDist = d;
            }
        }
        if (bestLen >= 3) {
            putMatch(bw, bestLen, bestDist);
            i += bestLen;
        } else {
            putSymbol(bw, data[i]);
            ++i;
        }
    }
    putSymbol(bw, 256);
    bw.flush();
    uint32_t a = 1, b = 0;
    for (uint8_t byte : data) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    const uint32_t adler = b << 16 | a;
    for (int32_t s = 24; s >= 0; s -= 8) out.push_back(static_cast<uint8_t>(adler >> s));
    return out;
}

uint32_t crc32(const uint8_t* p, size_t n, uint32_t crc = 0) {
    crc = ~crc;
    for (size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int32_t k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void putBig32(std::vector<uint8_t>& out, uint32_t v) {
    for (int32_t s = 24; s >= 0; s -= 8) out.push_back(static_cast<uint8_t>(v >> s));
}

void putChunk(std::vector<uint8_t>& file, const char* type, const std::vector<uint8_t>& body) {
    putBig32(file, static_cast<uint32_t>(body.size()));
    const size_t typeAt = file.size();
    file.insert(file.end(), type, type + 4);
    file.insert(file.end(), body.begin(), body.end());
    putBig32(file, crc32(file.data() + typeAt, body.size() + 4));
}

}  // namespace

bool writeCanvasPng(const DrawContext& dc, const char* path) {
    if (!path || dc.width < 1 || dc.height < 1) return false;
    const uint32_t stride = static_cast<uint32_t>(dc.width) * 3 + 1;
    std::vector<uint8_t> raw;
    raw.reserve(static_cast<size_t>(stride) * dc.height);
    for (int32_t y = 0; y < dc.height; ++y) {
        raw.push_back(0);  // no filter
        const uint32_t* row = dc.pixels.data() + static_cast<size_t>(y) * dc.width;
        for (int32_t x = 0; x < dc.width; ++x) {
            raw.push_back(static_cast<uint8_t>(row[x] >> 16));
            raw.push_back(static_cast<uint8_t>(row[x] >> 8));
            raw.push_back(static_cast<uint8_t>(row[x]));
        }
    }
    std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    putBig32(header, static_cast<uint32_t>(dc.width));
    putBig32(header, static_cast<uint32_t>(dc.height));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB
    putChunk(file, "IHDR", header);
    putChunk(file, "IDAT", zlibCompress(raw, stride));
    putChunk(file, "IEND", {});

    std::FILE* f = std::fopen(path, "wb");
    if (!f) return false;
    const bool ok = std::fwrite(file.data(), 1, file.size(), f) == file.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace qz
