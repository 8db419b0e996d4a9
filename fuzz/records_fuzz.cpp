// libFuzzer entry for the lifetime records (velmo.rcd) reader: any bytes, the round-trip property.
#include <cstddef>
#include <cstdint>

#include "fuzz/properties.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    velmo::fuzz::require(velmo::fuzz::check_records({reinterpret_cast<const char*>(data), size}), "records");
    return 0;
}
