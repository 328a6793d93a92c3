// Differential: any bytes as a part, read by the quick tokenizer and by expat in the same chunks. Where the
// tokenizer does not give up, both must yield the same events, the same sheet cells, the same shared strings,
// and finish at the same byte and parse call; where it gives up the package reads the part with expat alone.
#include "fuzz/FuzzSupport.h"
#include "tests/support/XmlReading.h"
#include "xlsx/SharedStrings.h"
#include "xlsx/SheetReader.h"

namespace {

bool SameReading(const XmlReading &quick, const XmlReading &expat)
{
    const bool same =
        quick.verdict == expat.verdict && quick.finishedAt == expat.finishedAt && quick.calls == expat.calls;
    if (!same)
        std::fprintf(stderr,
                     "tokenizer: verdict %d at %lld after %zu calls; expat: verdict %d at %lld after %zu calls\n",
                     int(quick.verdict), static_cast<long long>(quick.finishedAt), quick.calls, int(expat.verdict),
                     static_cast<long long>(expat.finishedAt), expat.calls);
    return same;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view xml(reinterpret_cast<const char *>(data), size);
    // The chunking and the event after which the handler finishes vary with the input's length.
    const size_t chunk = size % 3 == 0 ? size + 1 : 1 + size % 61;
    const int finishAfter = int(size % 5 == 0 ? 0 : size % 41);

    XmlEventRecorder quickEvents(finishAfter);
    const XmlReading quick = ReadQuickly(xml, chunk, quickEvents);
    if (quick.verdict != XmlReading::Verdict::GaveUp) {
        XmlEventRecorder expatEvents(finishAfter);
        const XmlReading expat = ReadWithExpat(xml, chunk, expatEvents);
        FuzzCheck(SameReading(quick, expat), "the tokenizer and expat reach the same verdict at the same point");
        const std::string quickText = quickEvents.all();
        const std::string expatText = expatEvents.all();
        if (quickText != expatText)
            std::fprintf(stderr, "tokenizer: %s\nexpat:     %s\n", quickText.c_str(), expatText.c_str());
        FuzzCheck(quickText == expatText, "the tokenizer and expat deliver the same events");
    }

    // Whole or in the chunks above, so that the sheet reader's one-step cells also meet a chunk's end.
    const size_t sheetChunk = size % 2 ? chunk : size + 1;
    CellWindow window;
    window.lastRow = 40;
    SheetReader quickSheet(window);
    const XmlReading quickCells = ReadQuickly(xml, sheetChunk, quickSheet);
    if (quickCells.verdict != XmlReading::Verdict::GaveUp) {
        SheetReader expatSheet(window);
        const XmlReading expatCells = ReadWithExpat(xml, sheetChunk, expatSheet);
        FuzzCheck(SameReading(quickCells, expatCells), "sheet: the same verdict at the same point");
        FuzzCheck(SameCells(quickSheet.takeCells(), expatSheet.takeCells()), "sheet: the same cells");
    }

    // Items wanted from 0, 1 or 2 on, every first to fourth, as the input's length decides.
    std::vector<std::int64_t> wanted;
    for (std::int64_t index = std::int64_t(size % 3); index < 64; index += 1 + std::int64_t(size % 4))
        wanted.push_back(index);
    std::vector<std::optional<QString>> quickItems(wanted.size());
    SharedStringsHandler quickStrings(wanted, quickItems);
    const XmlReading quickRead = ReadQuickly(xml, chunk, quickStrings);
    if (quickRead.verdict != XmlReading::Verdict::GaveUp) {
        std::vector<std::optional<QString>> expatItems(wanted.size());
        SharedStringsHandler expatStrings(wanted, expatItems);
        const XmlReading expatRead = ReadWithExpat(xml, chunk, expatStrings);
        FuzzCheck(SameReading(quickRead, expatRead), "shared strings: the same verdict at the same point");
        FuzzCheck(quickItems == expatItems, "shared strings: the same items");
    }
    return 0;
}
