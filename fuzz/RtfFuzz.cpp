// Feeds arbitrary bytes to the RTF reader; whatever it reads must write as RTF and read back to
// the same text and styles.
#include <cstdint>
#include <cstdlib>

#include "script/RtfReader.h"
#include "script/RtfWriter.h"

using namespace quillon;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const RichText text =
        RtfReader::Read(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));
    const RichText again = RtfReader::Read(RtfWriter::Write(text));
    if (!(again == text)) std::abort();
    return 0;
}
