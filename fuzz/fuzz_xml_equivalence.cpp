// Differential: any bytes as a part, read by the quick tokenizer and by expat in the same chunks. Where the
// tokenizer does not give up, both must yield the same events, the same sheet cells, and finish at the same
// byte and parse call; where it gives up the package reads the part with expat alone.
#include "convert/SheetReader.h"
#include "fuzz/FuzzSupport.h"
#include "tests/support/XmlReading.h"

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

bool SameCells(const RawCells &a, const RawCells &b)
{
    return std::equal(a.cells.begin(), a.cells.end(), b.cells.begin(), b.cells.end(), [](const auto &x, const auto &y) {
        return x.first == y.first && x.second.type == y.second.type && x.second.value == y.second.value &&
               x.second.hasValue == y.second.hasValue && x.second.inlineText == y.second.inlineText &&
               x.second.hasInline == y.second.hasInline;
    });
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

    CellWindow window;
    window.lastRow = 40;
    SheetReader quickSheet(window);
    const XmlReading quickCells = ReadQuickly(xml, size + 1, quickSheet);
    if (quickCells.verdict != XmlReading::Verdict::GaveUp) {
        SheetReader expatSheet(window);
        const XmlReading expatCells = ReadWithExpat(xml, size + 1, expatSheet);
        FuzzCheck(SameReading(quickCells, expatCells), "sheet: the same verdict at the same point");
        FuzzCheck(SameCells(quickSheet.takeCells(), expatSheet.takeCells()), "sheet: the same cells");
    }
    return 0;
}
