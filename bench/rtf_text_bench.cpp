// SPDX-License-Identifier: GPL-3.0-or-later
#include "BenchMain.h"
#include "core/rtf/RichTextDump.h"
#include "core/rtf/RtfReader.h"
#include "core/rtf/TextFinder.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using tolvane::rtf::RichTextDump;
using tolvane::rtf::RtfReader;

// About 10 MB of French help text as a word processor writes it: font and
// colour tables, accents as \'hh, bold and italic runs, a field, a table,
// some \uN, paragraphs. Deterministic, so every run measures the same bytes.
std::string makeDocument() {
    static const char* const kWords[] = {
        "le",          "fichier",        "de",          "donn\\'e9es",
        "est",         "ouvert",         "dans",        "la",
        "fen\\'eatre", "principale",     "et",          "l'article",
        "s'affiche",   "\\'e0",          "droite",      "avec",
        "ses",         "liens",          "vers",        "d'autres",
        "rubriques",   "cliquez",        "sur",         "un",
        "mot",         "soulign\\'e9",   "pour",        "acc\\'e9der",
        "\\'e0",       "l'aide",         "de",          "cette",
        "commande",    "puis",           "fermez",      "bo\\'eete",
        "dialogue",    "param\\'e8tres", "m\\'e9moire", "d\\'e9j\\'e0"};
    constexpr size_t kWordCount = sizeof kWords / sizeof kWords[0];
    std::string rtf =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1036{\\fonttbl{\\f0\\froman\\fcharset0 Times "
        "New Roman;}{\\f1\\fswiss\\fcharset0 Arial;}{\\f2\\fmodern\\fcharset0 Courier "
        "New;}}{\\colortbl;\\red0\\green0\\blue0;\\red0\\green128\\blue0;\\red255\\green0\\blue0;}"
        "\\viewkind4\\uc1\\pard\\f0\\fs20 ";
    uint32_t seed = 12345;
    size_t paragraph = 0;
    while (rtf.size() < 10 * 1000 * 1000) {
        ++paragraph;
        rtf += "\\pard\\sb60\\sa60\\li360 ";
        if (paragraph % 50 == 0) {
            rtf += "{\\field{\\*\\fldinst HYPERLINK \"http://exemple.fr/\"}{\\fldrslt "
                   "\\cf2\\ul exemple}}\\par\n";
            continue;
        }
        if (paragraph % 200 == 0) {
            rtf += "\\trowd\\trgaph108\\cellx3000\\cellx6000\\intbl Nom\\cell "
                   "Valeur\\cell\\row\\pard\n";
            continue;
        }
        const size_t words = 20 + (seed >> 8) % 60;
        for (size_t w = 0; w < words; ++w) {
            seed = seed * 1103515245u + 12345u;
            const char* word = kWords[(seed >> 16) % kWordCount];
            if ((seed >> 4) % 23 == 0) {
                rtf += "{\\b ";
                rtf += word;
                rtf += "}";
            } else if ((seed >> 4) % 29 == 0) {
                rtf += "{\\i ";
                rtf += word;
                rtf += "}";
            } else if ((seed >> 4) % 97 == 0) {
                rtf += "\\u8364?";
            } else {
                rtf += word;
            }
            rtf += (w + 1 < words) ? " " : ".";
            if (w % 12 == 11)
                rtf += "\n";
        }
        rtf += "\\par\n";
    }
    rtf += "}";
    return rtf;
}

struct Fixture {
    std::string rtf = makeDocument();
    std::string path;
    Fixture() {
        char name[] = "/tmp/tolvane-rtf-bench-XXXXXX";
        const int fd = mkstemp(name);
        if (fd >= 0)
            close(fd);
        path = name;
        std::ofstream(path, std::ios::binary) << rtf;
    }
    ~Fixture() { std::remove(path.c_str()); }
};

const Fixture& fixture() {
    static const Fixture f;
    return f;
}

// The fixture's RTF converted by convert(rtf) at each iteration.
template <typename Convert> void convertFixture(benchmark::State& state, Convert convert) {
    const std::string& rtf = fixture().rtf;
    for (auto _ : state)
        benchmark::DoNotOptimize(convert(rtf));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * rtf.size()));
}

void BM_DisplayedText(benchmark::State& state) {
    convertFixture(state, [](const std::string& rtf) { return RtfReader::displayedText(rtf); });
}
BENCHMARK(BM_DisplayedText)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReadModel(benchmark::State& state) {
    convertFixture(state, [](const std::string& rtf) { return RtfReader::read(rtf); });
}
BENCHMARK(BM_ReadModel)->Unit(benchmark::kMillisecond)->UseRealTime();

double childCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Runs a program (found on PATH) with its output to `outPath` and its errors
// to /dev/null, directly, with no shell between. The real time of a run
// includes starting the process; its own processor time (child_cpu_ms, per
// run) is the figure to compare when other work loads the machine.
void runCommand(benchmark::State& state, const std::vector<std::string>& command,
                const std::string& outPath) {
    const Fixture& f = fixture();
    std::vector<char*> argv;
    for (const std::string& a : command)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const double before = childCpuSeconds();
    for (auto _ : state) {
        pid_t pid = 0;
        int status = 0;
        if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0 ||
            waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("the command could not run");
            break;
        }
    }
    posix_spawn_file_actions_destroy(&actions);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.rtf.size()));
    state.counters["child_cpu_ms"] =
        benchmark::Counter((childCpuSeconds() - before) * 1000.0 / state.iterations());
}

// catdoc writes its text to a file, as the tool does below.
void BM_Catdoc(benchmark::State& state) {
    const std::string outPath = fixture().path + ".catdoc";
    runCommand(state, {"catdoc", fixture().path}, outPath);
    std::remove(outPath.c_str());
}
BENCHMARK(BM_Catdoc)->Unit(benchmark::kMillisecond)->UseRealTime();

// GNU grep stops at the first match when its output is /dev/null, so the count
// goes to a file, and the count it wrote is checked: grep has read every line.
size_t linesContaining(const std::string& text, const std::string& lowerWord) {
    size_t count = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        std::transform(line.begin(), line.end(), line.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (line.find(lowerWord) != std::string::npos)
            ++count;
        start = end + 1;
    }
    return count;
}

void BM_GrepCountIgnoreCase(benchmark::State& state) {
    const std::string countPath = fixture().path + ".count";
    runCommand(state, {"grep", "-ci", "commande", fixture().path}, countPath);
    std::ifstream in(countPath);
    size_t counted = 0;
    in >> counted;
    std::remove(countPath.c_str());
    if (counted != linesContaining(fixture().rtf, "commande"))
        state.SkipWithError("grep did not count every matching line");
}
BENCHMARK(BM_GrepCountIgnoreCase)->Unit(benchmark::kMillisecond)->UseRealTime();

using Mode = RichTextDump::Mode;

// The companion tool as a user runs it, end to end: the process starts,
// reads the file, converts it and writes UTF-8 to a file. What it wrote is
// checked against the conversion in this process.
void BM_Tool(benchmark::State& state, const char* option, Mode mode) {
    const std::string outPath = fixture().path + ".out";
    std::vector<std::string> command{TOLVANE_TOOL_PATH, "rtf", fixture().path};
    if (*option != '\0')
        command.insert(command.begin() + 2, option);
    runCommand(state, command, outPath);
    std::ifstream in(outPath, std::ios::binary);
    std::stringstream written;
    written << in.rdbuf();
    std::remove(outPath.c_str());
    if (written.str() != RichTextDump::dump(fixture().rtf, mode))
        state.SkipWithError("the tool's output differs from the dump");
}
BENCHMARK_CAPTURE(BM_Tool, Text, "", Mode::Text)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Tool, Paragraphs, "--paragraphs", Mode::Paragraphs)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Tool, Count, "--count", Mode::Count)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The same conversions in this process.
void BM_Dump(benchmark::State& state, Mode mode) {
    convertFixture(state, [mode](const std::string& rtf) { return RichTextDump::dump(rtf, mode); });
}
BENCHMARK_CAPTURE(BM_Dump, Text, Mode::Text)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Dump, Paragraphs, Mode::Paragraphs)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

const std::u16string& benchText() {
    static const std::u16string text = RtfReader::displayedText(fixture().rtf);
    return text;
}

void BM_TextFinder(benchmark::State& state) {
    const std::u16string& text = benchText();
    tolvane::rtf::FindOptions options;
    options.wholeWord = state.range(0) != 0;
    const tolvane::rtf::TextFinder finder(u"introuvable", options);
    for (auto _ : state)
        benchmark::DoNotOptimize(finder.find(text));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size() * 2));
}
BENCHMARK(BM_TextFinder)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_StdSearch(benchmark::State& state) {
    const std::u16string& text = benchText();
    const std::u16string needle = u"introuvable";
    for (auto _ : state)
        benchmark::DoNotOptimize(
            std::search(text.begin(), text.end(), needle.begin(), needle.end()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size() * 2));
}
BENCHMARK(BM_StdSearch)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    fixture();
    tolvane::bench::TimesReporter reporter("child_cpu_ms");
    const int status = tolvane::bench::RunBenchmarks(argc, argv, &reporter);
    // Each run of the tool as a speed against catdoc's and grep's on the same bytes: the anchor's
    // time over the tool's, in real time (process start included) and in the children's CPU time.
    const struct {
        const char* anchor;
        double target;
    } anchors[] = {{"BM_Catdoc", 5.0}, {"BM_GrepCountIgnoreCase", 0.2}};
    for (const char* tool : {"BM_Tool/Text", "BM_Tool/Paragraphs", "BM_Tool/Count"}) {
        const tolvane::bench::Times* t = reporter.find(tool);
        if (t == nullptr || t->real <= 0)
            continue;
        for (const auto& a : anchors) {
            if (const tolvane::bench::Times* base = reporter.find(a.anchor)) {
                std::printf("%s speed / %s = %.2f real, %.2f CPU (target: at least %.1f)\n",
                            tool + 3, a.anchor + 3, base->real / t->real,
                            t->cpu > 0 ? base->cpu / t->cpu : 0.0, a.target);
            }
        }
    }
    return status;
}
