// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/articles/DataSourceWriter.h"
#include "core/authoring/DataSourceBuilder.h"
#include "core/rtf/RtfReader.h"

#include <benchmark/benchmark.h>
#include <string>

namespace {

using namespace tolvane;

// 20,000 topics of help-project RTF, about 100 MB: footnotes, accents as
// \'hh, bold runs, jumps and popups with hidden targets, paragraphs.
// Deterministic, so every run measures the same bytes. linkOneIn: one word
// in 2 * linkOneIn + 1 is a jump and one a popup, and about one in 31 bold.
//
// The help projects of the shared corpus have one link per 470 to 6,100
// bytes of source (the densest file, a tutorial, 470; most 650 to 2,600):
// Source(62) comes close to the densest, about one link per 500 bytes.
// Source(15) has one per 130 bytes, several times the densest real file: a
// stress case for the link path.
std::string MakeSource(uint32_t linkOneIn) {
    static const char* const kWords[] = {
        "le",        "fichier",  "de",          "donn\\'e9es", "est",  "ouvert",
        "dans",      "la",       "fen\\'eatre", "principale",  "et",   "l'article",
        "s'affiche", "\\'e0",    "droite",      "avec",        "ses",  "liens",
        "vers",      "d'autres", "rubriques",   "cliquez",     "sur",  "un",
        "mot",       "pour",     "acc\\'e9der", "commande",    "puis", "param\\'e8tres"};
    constexpr size_t kWordCount = sizeof kWords / sizeof kWords[0];
    constexpr int kTopics = 20000;
    std::string rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}"
                      "{\\colortbl;\\red0\\green0\\blue0;}\\pard\\plain\\f0\\fs20\n";
    rtf.reserve(105u * 1000 * 1000);
    uint32_t seed = 12345;
    for (int t = 1; t <= kTopics; ++t) {
        const std::string id = "T" + std::to_string(t);
        rtf += "{\\cs15\\up6 #{\\footnote \\pard\\plain {\\cs15 #} " + id + "}}";
        rtf += "{\\cs15\\up6 ${\\footnote \\pard\\plain {\\cs15 $} Rubrique " + id + "}}";
        rtf += "{\\cs15\\up6 K{\\footnote \\pard\\plain {\\cs15 K} mot " + id + "}}\n";
        while (rtf.size() < static_cast<size_t>(t) * 5000) {
            rtf += "\\pard\\sb60\\sa60 ";
            for (int w = 0; w < 60; ++w) {
                seed = seed * 1103515245u + 12345u;
                const char* word = kWords[(seed >> 16) % kWordCount];
                const uint32_t kind = (seed >> 4) % (2 * linkOneIn + 1);
                if (kind == 0) {
                    rtf += "{\\uldb ";
                    rtf += word;
                    rtf += "}{\\v T" + std::to_string(1 + (seed >> 8) % kTopics) + "}";
                } else if (kind == 1) {
                    rtf += "{\\ul ";
                    rtf += word;
                    rtf += "}{\\v T" + std::to_string(1 + (seed >> 9) % kTopics) + "}";
                } else if (kind % 31 == 2) {
                    rtf += "{\\b ";
                    rtf += word;
                    rtf += "}";
                } else {
                    rtf += word;
                }
                rtf += ' ';
            }
            rtf += "\\par\n";
        }
        if (t < kTopics)
            rtf += "\\page\n";
    }
    rtf += "}";
    return rtf;
}

const std::string& Source(uint32_t linkOneIn) {
    if (linkOneIn == 62) {
        static const std::string source = MakeSource(62);
        return source;
    }
    static const std::string dense = MakeSource(15);
    return dense;
}

void BM_BuildDataSource(benchmark::State& state) {
    const std::string& source = Source(static_cast<uint32_t>(state.range(0)));
    size_t articles = 0, links = 0;
    for (auto _ : state) {
        authoring::BuildMessages messages;
        authoring::DataSourceBuilder builder(messages);
        builder.addTopicText("bench.rtf", source);
        DataSourceWriter writer;
        builder.build(writer);
        articles = builder.articles().size();
        links = writer.pglSize() / kLinkRecordSize;
        benchmark::DoNotOptimize(writer.pgdSize());
    }
    state.counters["articles"] = static_cast<double>(articles);
    state.counters["bytes_per_link"] =
        static_cast<double>(source.size()) / static_cast<double>(links);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * source.size()));
}

// The anchor: the reader's plain-text path over the same bytes.
void BM_DisplayedTextSameBytes(benchmark::State& state) {
    const std::string& source = Source(static_cast<uint32_t>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(rtf::RtfReader::displayedText(source).size());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * source.size()));
}

// Each build beside its anchor, on the same source.
BENCHMARK(BM_BuildDataSource)->Arg(62)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_DisplayedTextSameBytes)->Arg(62)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_BuildDataSource)->Arg(15)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_DisplayedTextSameBytes)->Arg(15)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
