// S3TC and ETC1 block decoding. The colour expansion deliberately shifts
// without repeating high bits (0xFFFF gives 248, 252, 248), which is how the
// engine has always decoded these textures.
#include "engine/render/BlockDecoders.h"

#include <algorithm>

namespace Varnok {

namespace {

constexpr int kBlockSize = 4;

struct Rgb {
    int r = 0;
    int g = 0;
    int b = 0;
};

uint32_t ReadLittle16(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8);
}

uint32_t ReadLittle32(const uint8_t* p) {
    return ReadLittle16(p) | (ReadLittle16(p + 2) << 16);
}

uint32_t ReadBig32(const uint8_t* p) {
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}

Rgb Expand565(uint32_t c) {
    return Rgb{static_cast<int>((c >> 11) & 31) * 8, static_cast<int>((c >> 5) & 63) * 4,
               static_cast<int>(c & 31) * 8};
}

// The 16 colours of an S3TC colour block, as blue | green << 8 | red << 16.
void DecodeColourBlock(const uint8_t* block, uint32_t outColours[16]) {
    const uint32_t c0 = ReadLittle16(block);
    const uint32_t c1 = ReadLittle16(block + 2);
    const Rgb e0 = Expand565(c0);
    const Rgb e1 = Expand565(c1);
    Rgb palette[4];
    palette[0] = e0;
    palette[1] = e1;
    if (c0 < c1) {
        palette[2] = Rgb{(e0.r + e1.r) / 2, (e0.g + e1.g) / 2, (e0.b + e1.b) / 2};
        palette[3] = Rgb{};
    } else {
        palette[2] = Rgb{(2 * e0.r + e1.r) / 3, (2 * e0.g + e1.g) / 3, (2 * e0.b + e1.b) / 3};
        palette[3] = Rgb{(e0.r + 2 * e1.r) / 3, (e0.g + 2 * e1.g) / 3, (e0.b + 2 * e1.b) / 3};
    }
    const uint32_t codes = ReadLittle32(block + 4);
    for (int k = 0; k < 16; ++k) {
        const Rgb& c = palette[(codes >> (2 * k)) & 3];
        outColours[k] = static_cast<uint32_t>(c.b) | (static_cast<uint32_t>(c.g) << 8) |
                        (static_cast<uint32_t>(c.r) << 16);
    }
}

void DecodeExplicitAlpha(const uint8_t* block, uint8_t outAlpha[16]) {
    for (int k = 0; k < 16; ++k) {
        const int a = (k % 2 == 0) ? (block[k / 2] & 0x0F) : (block[k / 2] >> 4);
        outAlpha[k] = static_cast<uint8_t>(a == 0 ? 0 : ((a << 4) | 0x0F));
    }
}

void DecodeInterpolatedAlpha(const uint8_t* block, uint8_t outAlpha[16]) {
    const int a0 = block[0];
    const int a1 = block[1];
    uint64_t codes = 0;
    for (int i = 0; i < 6; ++i) {
        codes |= static_cast<uint64_t>(block[2 + i]) << (8 * i);
    }
    for (int k = 0; k < 16; ++k) {
        const int code = static_cast<int>((codes >> (3 * k)) & 7);
        int a;
        if (code == 0) {
            a = a0;
        } else if (code == 1) {
            a = a1;
        } else if (a0 < a1) {
            a = code == 6 ? 0 : code == 7 ? 255 : ((6 - code) * a0 + (code - 1) * a1) / 5;
        } else {
            a = ((8 - code) * a0 + (code - 1) * a1) / 7;
        }
        outAlpha[k] = static_cast<uint8_t>(a);
    }
}

int ClampByte(int v) {
    return std::min(255, std::max(0, v));
}

int Expand4(int v) {
    return v * 17;
}

int Expand5(int v) {
    return (v << 3) | (v >> 2);
}

// The sign-extended 3-bit difference of differential mode.
int Delta3(uint32_t bits) {
    const int v = static_cast<int>(bits & 7);
    return v >= 4 ? v - 8 : v;
}

void DecodeEtc1Block(const uint8_t* block, uint8_t outPixels[16][3]) {
    static const int kModifiers[8][2] = {{2, 8},   {5, 17},  {9, 29},   {13, 42},
                                         {18, 60}, {24, 80}, {33, 106}, {47, 183}};
    const uint32_t high = ReadBig32(block);
    const uint32_t low = ReadBig32(block + 4);
    const bool differential = (high & 2) != 0;
    const bool flip = (high & 1) != 0;
    Rgb base[2];
    if (differential) {
        const int r = static_cast<int>(high >> 27) & 31;
        const int g = static_cast<int>(high >> 19) & 31;
        const int b = static_cast<int>(high >> 11) & 31;
        base[0] = Rgb{Expand5(r), Expand5(g), Expand5(b)};
        base[1] =
            Rgb{Expand5((r + Delta3(high >> 24)) & 0xFF), Expand5((g + Delta3(high >> 16)) & 0xFF),
                Expand5((b + Delta3(high >> 8)) & 0xFF)};
    } else {
        base[0] = Rgb{Expand4(static_cast<int>(high >> 28) & 15),
                      Expand4(static_cast<int>(high >> 20) & 15),
                      Expand4(static_cast<int>(high >> 12) & 15)};
        base[1] = Rgb{Expand4(static_cast<int>(high >> 24) & 15),
                      Expand4(static_cast<int>(high >> 16) & 15),
                      Expand4(static_cast<int>(high >> 8) & 15)};
    }
    const int tables[2] = {static_cast<int>(high >> 5) & 7, static_cast<int>(high >> 2) & 7};
    for (int y = 0; y < kBlockSize; ++y) {
        for (int x = 0; x < kBlockSize; ++x) {
            // Without flip the sub-blocks are 2 columns wide, with it 2 rows high.
            const int sub = flip ? (y >= 2 ? 1 : 0) : (x >= 2 ? 1 : 0);
            // Pixel index bits run down the columns.
            const int bit = x * 4 + y;
            const int index = static_cast<int>(((low >> (16 + bit)) & 1) << 1 | ((low >> bit) & 1));
            const int* row = kModifiers[tables[sub]];
            const int modifier = (index & 1) != 0 ? row[1] : row[0];
            const int delta = (index & 2) != 0 ? -modifier : modifier;
            uint8_t* out = outPixels[y * kBlockSize + x];
            out[0] = static_cast<uint8_t>(ClampByte(base[sub].r + delta));
            out[1] = static_cast<uint8_t>(ClampByte(base[sub].g + delta));
            out[2] = static_cast<uint8_t>(ClampByte(base[sub].b + delta));
        }
    }
}

}  // namespace

int S3tcBlockBytes(int variant) {
    return variant == 1 ? 8 : 16;
}

bool DecodeS3tc(const uint8_t* blocks, int width, int height, size_t byteCount, int variant,
                uint8_t* destination) {
    if (variant < 1 || variant > 5) {
        return false;
    }
    if (width <= 0 || height <= 0) {
        return true;
    }
    const size_t blockBytes = static_cast<size_t>(S3tcBlockBytes(variant));
    const int columns = (width + 3) / 4;
    const int rows = (height + 3) / 4;
    size_t offset = 0;
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column, offset += blockBytes) {
            if (byteCount < blockBytes || offset > byteCount - blockBytes) {
                return false;
            }
            const uint8_t* block = blocks + offset;
            uint8_t alpha[16] = {};
            if (variant == 2 || variant == 3) {
                DecodeExplicitAlpha(block, alpha);
            } else if (variant == 4 || variant == 5) {
                DecodeInterpolatedAlpha(block, alpha);
            }
            uint32_t colours[16];
            DecodeColourBlock(blockBytes == 8 ? block : block + 8, colours);
            for (int k = 0; k < 16; ++k) {
                const int x = column * kBlockSize + k % kBlockSize;
                const int y = row * kBlockSize + k / kBlockSize;
                if (x >= width || y >= height) {
                    continue;
                }
                const uint32_t pixel = colours[k] | (static_cast<uint32_t>(alpha[k]) << 24);
                uint8_t* out = destination + (static_cast<size_t>(y) * width + x) * 4;
                out[0] = static_cast<uint8_t>(pixel);
                out[1] = static_cast<uint8_t>(pixel >> 8);
                out[2] = static_cast<uint8_t>(pixel >> 16);
                out[3] = static_cast<uint8_t>(pixel >> 24);
            }
        }
    }
    return true;
}

bool DecodeEtc1(const uint8_t* blocks, int width, int height, size_t byteCount,
                uint8_t* destination) {
    if (width <= 0 || height <= 0) {
        return true;
    }
    constexpr size_t kEtc1BlockBytes = 8;
    const int columns = (width + 3) / 4;
    const int rows = (height + 3) / 4;
    size_t offset = 0;
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column, offset += kEtc1BlockBytes) {
            if (byteCount < kEtc1BlockBytes || offset > byteCount - kEtc1BlockBytes) {
                return false;
            }
            uint8_t pixels[16][3];
            DecodeEtc1Block(blocks + offset, pixels);
            for (int k = 0; k < 16; ++k) {
                const int x = column * kBlockSize + k % kBlockSize;
                const int y = row * kBlockSize + k / kBlockSize;
                if (x >= width || y >= height) {
                    continue;
                }
                uint8_t* out = destination + (static_cast<size_t>(y) * width + x) * 3;
                out[0] = pixels[k][0];
                out[1] = pixels[k][1];
                out[2] = pixels[k][2];
            }
        }
    }
    return true;
}

}  // namespace Varnok
