// The XML parser on a generated 20 MB RSS feed, beside libxml2 on the same bytes, and on one
// element of many text pieces with "&" in each (the case where entities are replaced over the
// whole content after every piece).
//
// Counters: input_MB; peak_x_input = the most heap in use during the load, above what was in
// use before it, per input byte; kept_x_input = heap still in use by the loaded document, per
// input byte.
#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "bench/HeapCounter.h"
#include "bench/RssFeedGenerator.h"
#include "core/StringBuffer.h"
#include "xml/ClsXml.h"

namespace {

constexpr size_t kFeedItems = 5000;
constexpr size_t kItemBytes = 4000;  // 5000 items of about 4 KB: about 20 MB
constexpr size_t kPieceBytes = 100;

const std::string& Feed() {
    static const std::string feed = benchfeed::MakeRssFeed(kFeedItems, kItemBytes);
    return feed;
}

// Measures one load: heap peak and heap kept, above what was in use before.
struct HeapUse {
    size_t before = heapcounter::InUse();
    HeapUse() { heapcounter::ResetPeak(); }
    size_t Peak() const { return heapcounter::Peak() - before; }
    size_t Kept() const { return heapcounter::InUse() - before; }
};

void Report(benchmark::State& state, size_t inputBytes, size_t peak, size_t kept) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * inputBytes));
    state.counters["input_MB"] = static_cast<double>(inputBytes) / 1e6;
    state.counters["peak_x_input"] = static_cast<double>(peak) / static_cast<double>(inputBytes);
    state.counters["kept_x_input"] = static_cast<double>(kept) / static_cast<double>(inputBytes);
}

// Our parser, as the RSS object uses it: LoadXml with trimming, then the tree is let go.
void BM_LoadXml_RssFeed(benchmark::State& state) {
    const std::string& feed = Feed();
    size_t peak = 0;
    size_t kept = 0;
    for (auto _ : state) {
        auto xml = std::make_unique<ClsXml>();
        {
            const HeapUse use;
            if (!xml->LoadXml(feed.c_str(), true)) {
                state.SkipWithError("the feed did not parse");
                return;
            }
            peak = use.Peak();
            kept = use.Kept();
        }
        xml.reset();
    }
    Report(state, feed.size(), peak, kept);
}
BENCHMARK(BM_LoadXml_RssFeed)->Unit(benchmark::kMillisecond);

// libxml2 on the same bytes: parse into its tree, then free it.
void BM_Libxml2_RssFeed(benchmark::State& state) {
    const std::string& feed = Feed();
    size_t peak = 0;
    size_t kept = 0;
    for (auto _ : state) {
        xmlDocPtr doc = nullptr;
        {
            const HeapUse use;
            doc = xmlReadMemory(feed.data(), static_cast<int>(feed.size()), "feed.xml", nullptr, 0);
            if (!doc) {
                state.SkipWithError("libxml2 did not parse the feed");
                return;
            }
            peak = use.Peak();
            kept = use.Kept();
        }
        xmlFreeDoc(doc);
    }
    Report(state, feed.size(), peak, kept);
}
BENCHMARK(BM_Libxml2_RssFeed)->Unit(benchmark::kMillisecond);

// One element of 100,000 pieces of 100 bytes (10 MB), each holding "&amp;".
void BM_LoadXml_ManyPieceElement(benchmark::State& state) {
    const std::string text = benchfeed::MakeManyPieceElement(static_cast<size_t>(state.range(0)), kPieceBytes);
    size_t peak = 0;
    size_t kept = 0;
    for (auto _ : state) {
        ClsXml xml;
        const HeapUse use;
        if (!xml.LoadXml(text.c_str(), true)) {
            state.SkipWithError("the element did not parse");
            return;
        }
        peak = use.Peak();
        kept = use.Kept();
    }
    Report(state, text.size(), peak, kept);
}
BENCHMARK(BM_LoadXml_ManyPieceElement)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The content of "<e>piece<br/>piece<br/>...</e>" built the plain way: after each piece, five
// replace-every-occurrence passes over the whole content.
void BuildPlainContent(const std::string& text, StringBuffer& content) {
    for (size_t at = 3; at < text.size();) {  // after "<e>"
        const size_t end = text.find('<', at);
        if (end == std::string::npos || end == at) {
            break;
        }
        if (!content.IsEmpty()) {
            content.AppendChar(' ');
        }
        content.AppendN(text.data() + at, static_cast<uint32_t>(end - at));
        if (content.Contains("&")) {
            content.ReplaceAll("&lt;", "<");
            content.ReplaceAll("&apos;", "'");
            content.ReplaceAll("&gt;", ">");
            content.ReplaceAll("&quot;", "\"");
            content.ReplaceAll("&amp;", "&");
        }
        at = end + 5;  // past "<br/>"
    }
}

// Quadratic; measured on fewer pieces to show the growth.
void BM_PlainWholeContentReplacement(benchmark::State& state) {
    const std::string text = benchfeed::MakeManyPieceElement(static_cast<size_t>(state.range(0)), kPieceBytes);
    for (auto _ : state) {
        StringBuffer content;
        BuildPlainContent(text, content);
        benchmark::DoNotOptimize(content.GetSize());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_PlainWholeContentReplacement)->Arg(2500)->Arg(5000)->Arg(10000)->Unit(benchmark::kMillisecond);

// The parser and the plain way must agree on the benchmark's own input.
bool SameContentBothWays() {
    const std::string text = benchfeed::MakeManyPieceElement(2000, kPieceBytes);
    ClsXml xml;
    if (!xml.LoadXml(("<r>" + text + "</r>").c_str(), true)) {
        return false;
    }
    StringBuffer parsed;
    xml.ChildContentByTag("e", parsed);
    StringBuffer plain;
    BuildPlainContent(text, plain);
    return parsed.Equals(plain);
}

}  // namespace

int main(int argc, char** argv) {
    xmlInitParser();
    ClsXml check;
    if (!check.LoadXml(Feed().c_str(), true)) {
        std::fprintf(stderr, "the generated feed does not parse\n");
        return 1;
    }
    std::unique_ptr<ClsXml> channel(check.ChildByTag("channel", 0));
    if (!channel || channel->CountChildrenByTag("item") != static_cast<int32_t>(kFeedItems) || !SameContentBothWays()) {
        std::fprintf(stderr, "the generated inputs do not parse as expected\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    xmlCleanupParser();
    return 0;
}
