// record.ini on arbitrary bytes through the macro store and the encoder: every
// macro loads within its limit, every block is written inside itself, and a
// macro saved again keeps its number and reads back as it was saved.
#include "device/config_image.h"
#include "fuzz/fuzz_support.h"
#include "macros/macro_encoder.h"
#include "macros/macro_store.h"
#include "platform/data_files.h"

using namespace varcel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto path = fuzz::writeInput(kMacroFileName, data, size);
    const MacroStore store(path);
    const auto macros = store.loadAll();
    for (const StoredMacro& macro : macros)
        fuzz::require(macro.entries.size() <= MacroStore::kMostEntriesRead);

    ConfigImage image{};
    image.fill(0xA5);
    const EncodeOutcome outcome = encodeAllMacros(store, image);
    fuzz::require(outcome.blocksWritten == std::min(macros.size(), kMacroCount));
    // Bytes outside the macro area are never touched.
    for (std::size_t i = 0; i < image.size(); ++i)
        if (i < img::macroBlock(1) || i >= img::macroBlock(kMacroCount) + kMacroBlockSize)
            fuzz::require(image[i] == 0xA5);

    if (macros.empty() || macros.front().entries.size() > MacroStore::kMostEntries)
        return 0;
    const StoredMacro& first = macros.front();
    if (!store.save(first.name, first.entries))
        return 0; // a name or entry the file cannot carry: refused, nothing written
    const auto names = store.list();
    fuzz::require(!names.empty() && equalsIgnoringCase(names.front(), first.name)); // it keeps its number
    fuzz::require(store.load(first.name) == first.entries);
    return 0;
}
