// libFuzzer entry for the CSV import: any bytes, the import's limits and its round trip through the export.
#include <cstddef>
#include <cstdint>

#include "fuzz/properties.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    velmo::fuzz::require(velmo::fuzz::check_csv({reinterpret_cast<const char*>(data), size}), "csv");
    return 0;
}
