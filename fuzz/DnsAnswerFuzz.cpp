// Feeds arbitrary bytes to the DNS client as an answer body: every count,
// length, label and pointer must stay inside the bytes. A parsed answer is
// written back and read again, and every record's TXT text taken.
#include "engine/core/AsciiString.h"
#include "engine/services/DnsTxtClient.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace Varnok;
    DnsMessage message;
    const int64_t end = message.Read(data, size);
    if (end < 0) {
        if (!message.answers.empty() || !message.questions.empty()) {
            std::abort();  // a refused answer leaves empty lists
        }
        return 0;
    }
    AsciiString text;
    for (const auto* list : {&message.answers, &message.authority, &message.additional}) {
        for (const DnsResourceRecord& record : *list) {
            DnsTxtText(record, text);
        }
    }
    std::string written;
    message.Write(written);
    DnsMessage again;
    (void)again.Read(reinterpret_cast<const uint8_t*>(written.data()), written.size());
    return 0;
}
