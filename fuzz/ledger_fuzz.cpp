// libFuzzer entry for the year ledger reader: any bytes, the round-trip property.
#include <cstddef>
#include <cstdint>

#include "fuzz/properties.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    velmo::fuzz::require(velmo::fuzz::check_ledger({reinterpret_cast<const char*>(data), size}), "ledger");
    return 0;
}
