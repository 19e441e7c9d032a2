// Screen files from anywhere: reading never fails or reads past the data,
// and what is read writes back to a form that reads to the same records.
#include "engine/core/BinaryStream.h"
#include "engine/ui/descriptions/UIScreenFile.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

Varnok::BinaryStreamWriter ReadAndWrite(const uint8_t* data, size_t size) {
    Varnok::BinaryStreamReader stream(data, size, Varnok::kUIScreenFileByteOrder);
    Varnok::UIScreenFile file;
    Varnok::UIScreenFileReader::Read(stream, file);
    if (file.components.size() > size / 4 + 1) {
        __builtin_trap();
    }
    Varnok::BinaryStreamWriter writer(256, Varnok::kUIScreenFileByteOrder);
    Varnok::UIScreenFileWriter::Write(file, writer);
    return writer;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Varnok::BinaryStreamWriter first = ReadAndWrite(data, size);
    const Varnok::BinaryStreamWriter second =
        ReadAndWrite(first.Data(), static_cast<size_t>(first.Size()));
    if (first.Size() != second.Size() ||
        std::memcmp(first.Data(), second.Data(), static_cast<size_t>(first.Size())) != 0) {
        __builtin_trap();
    }
    return 0;
}
