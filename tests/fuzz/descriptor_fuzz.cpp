// Any bytes as a HID report descriptor: the parser must neither read past
// them nor report lengths beyond what hidraw carries (16384 bytes, the
// report-ID byte included).
#include "device/hidraw/hid_descriptor.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const varcel::HidDescriptorInfo info = varcel::parseHidDescriptor({data, size});
    if (info.error != varcel::DescriptorError::None && info.errorOffset > size)
        std::abort();
    for (const varcel::HidCollectionCaps& caps : info.collections)
        if (caps.featureLength > 16384 || caps.inputLength > 16384 || caps.outputLength > 16384)
            std::abort();
    return 0;
}
