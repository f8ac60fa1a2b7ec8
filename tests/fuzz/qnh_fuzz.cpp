// libFuzzer target for the QNH datagram reader (scripts/fuzz.sh builds and
// runs it). Whatever arrives, a published
// QNH lies between 900 and 1100 hPa and equals the reader's last value.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "rtlink/qnh.h"
#include "traffic/state.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QnhState state{kDefaultQnh};
    const std::string_view datagram(reinterpret_cast<const char*>(data), size);
    if (lf_onQnhData(state, datagram) != QnhVerdict::published) return 0;
    const std::int32_t q = g_engineQnh.load();
    if (q < 900 || q > 1100 || q != state.lastQnh.load()) std::abort();
    return 0;
}
