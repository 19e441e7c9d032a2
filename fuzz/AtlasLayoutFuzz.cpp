// Atlas layout files from arbitrary bytes. A layout that the reader accepts
// must also be safe to pack into: its tree is set up and a few images are
// inserted, which walks every node the file made.
#include "engine/core/BinaryStream.h"
#include "engine/render/AtlasLayoutFile.h"
#include "engine/render/AtlasPacker.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Varnok::BinaryStreamReader reader(data, size, Varnok::kNativeByteOrder);
    Varnok::AtlasLayout layout;
    if (!Varnok::ReadAtlasLayout(reader, "fuzz", layout)) {
        return 0;
    }
    for (const Varnok::AtlasLayoutPage& page : layout.pages) {
        Varnok::AtlasPacker packer(layout.pageWidth, layout.pageHeight, nullptr);
        packer.SetTree(page.nodes);
        for (const Varnok::AtlasLayoutImage& image : page.images) {
            Varnok::AtlasNode* node = packer.GetNode(image.node);
            if (node == nullptr) {
                __builtin_trap();  // the reader let a bad position through
            }
            node->key = image.key;
        }
        const int32_t sizes[] = {1, 3, layout.pageWidth / 2 + 1};
        for (int32_t side : sizes) {
            Varnok::AtlasNode* node = packer.Insert(side, side);
            if (node != nullptr) {
                if (node->right > layout.pageWidth || node->bottom > layout.pageHeight ||
                    node->x < 0 || node->y < 0) {
                    __builtin_trap();  // a node outside the page
                }
                node->key.AppendBits(&side, 32);
            }
        }
    }
    return 0;
}
