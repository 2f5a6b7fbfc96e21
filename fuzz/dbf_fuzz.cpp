// Feeds arbitrary bytes to the dBASE reader and reads every field of every
// record it admits; failures must be EDBFException.
#include "formats/GlobeDBFReader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        TGlobeDBFReader table(std::span<const std::uint8_t>(data, size), "fuzz.dbf");
        for (std::int32_t n = 0; n <= table.RecordCount(); ++n) {
            table.ReadRecord(n);
            for (int column = -1; column <= table.FieldCount(); ++column)
                (void)table.FieldValue(column);
        }
    } catch (const EDBFException&) {
    }
    return 0;
}
