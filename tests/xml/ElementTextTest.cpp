// The content of an element is built incrementally (ElementTextBuilder) and entities are decoded
// in one pass (DecodePredefinedEntities). Both stand in for the plain definition: five
// replace-every-occurrence passes, over the whole content after every text piece. These tests
// check them against that definition on many random inputs.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "XmlTestSupport.h"
#include "xml/ElementTextBuilder.h"
#include "xml/XmlEntities.h"

namespace {

// The definition, with the passes in a given order.
void ReplaceFive(StringBuffer& text, const std::vector<std::string>& order) {
    static const std::vector<std::pair<std::string, const char*>> kReplacements = {
        {"lt", "<"}, {"gt", ">"}, {"amp", "&"}, {"apos", "'"}, {"quot", "\""}};
    for (const std::string& name : order) {
        for (const auto& [entity, byte] : kReplacements) {
            if (entity == name) {
                text.ReplaceAll(("&" + entity + ";").c_str(), byte);
            }
        }
    }
}
const std::vector<std::string> kContentOrder = {"lt", "apos", "gt", "quot", "amp"};
const std::vector<std::string> kAttributeOrder = {"lt", "gt", "quot", "apos", "amp"};
const std::vector<std::string> kDeclarationOrder = {"lt", "gt", "apos", "quot", "amp"};

// Random text made of entity fragments, so that names, partial names and chains are common.
std::string RandomText(std::mt19937& random, int pieces) {
    static const char* kFragments[] = {"&", "&", "amp;", "amp;", "lt;", "gt;", "apos;", "quot;", "a", "am",
                                       "l", "q", "p;", ";", "x", " ", "<", "#38;", "&#"};
    std::uniform_int_distribution<size_t> pick(0, std::size(kFragments) - 1);
    std::string text;
    for (int i = 0; i < pieces; ++i) {
        text += kFragments[pick(random)];
    }
    return text;
}

TEST(Entities, OnePassEqualsTheFiveReplacementPassesInEveryOrderUsed) {
    std::mt19937 random(7);
    for (int round = 0; round < 20000; ++round) {
        const std::string input = RandomText(random, 1 + round % 12);
        StringBuffer decoded(input.c_str());
        DecodePredefinedEntities(decoded);
        for (const auto* order : {&kContentOrder, &kAttributeOrder, &kDeclarationOrder}) {
            StringBuffer expected(input.c_str());
            ReplaceFive(expected, *order);
            ASSERT_EQ(xmltest::Text(decoded), xmltest::Text(expected)) << "input: " << input;
        }
    }
}

// The plain model of an element's content.
class PlainContent {
public:
    void AddText(const std::string& leading, const std::string& piece) {
        if (!exists_) {
            text_.SetString((leading + piece).c_str());
            exists_ = true;
        } else {
            text_.Append(leading.c_str());
            if (!text_.IsEmpty()) {
                text_.AppendChar(' ');
            }
            text_.Append(piece.c_str());
        }
        if (text_.Contains("&")) {
            ReplaceFive(text_, kContentOrder);
        }
    }
    void AddCdata(const std::string& bytes) {
        exists_ = true;
        text_.Append(bytes.c_str());
    }
    std::string Text() const { return exists_ ? xmltest::Text(text_) : "<none>"; }

private:
    StringBuffer text_;
    bool exists_ = false;
};

TEST(ElementText, IncrementalContentEqualsReplacingOverTheWholeContentEveryTime) {
    std::mt19937 random(11);
    std::uniform_int_distribution<int> kind(0, 9);
    for (int round = 0; round < 4000; ++round) {
        PlainContent expected;
        xmltest::Tree node(TreeNode::CreateRoot("e"));
        ElementTextBuilder builder;
        const int steps = 1 + round % 15;
        for (int step = 0; step < steps; ++step) {
            const std::string bytes = RandomText(random, 1 + kind(random) % 5);
            const int what = kind(random);
            if (what < 2) {
                expected.AddCdata(bytes);
                ASSERT_TRUE(builder.AddCdata(*node, bytes.data(), static_cast<uint32_t>(bytes.size())));
            } else {
                const std::string leading = what == 9 ? "\n " : "";
                expected.AddText(leading, bytes);
                StringBuffer leadingBuffer(leading.c_str());
                ASSERT_TRUE(builder.AddText(*node, &leadingBuffer, bytes.data(), static_cast<uint32_t>(bytes.size())));
            }
        }
        builder.Finish(*node);
        ASSERT_EQ(node->Content() ? xmltest::Text(*node->Content()) : "<none>", expected.Text()) << "round " << round;
    }
}

// The same through the parser: an element of many pieces separated by child elements and
// CDATA sections.
TEST(ElementText, ParsedMixedContentEqualsThePlainModel) {
    std::mt19937 random(5);
    std::uniform_int_distribution<int> kind(0, 5);
    for (int round = 0; round < 500; ++round) {
        PlainContent expected;
        std::string document = "<e>";
        for (int step = 0; step < 30; ++step) {
            std::string bytes = RandomText(random, 1 + step % 4);
            std::erase(bytes, '<');
            std::erase(bytes, ' ');
            if (bytes.empty()) {
                continue;
            }
            if (kind(random) == 0) {
                document += "<![CDATA[" + bytes + "]]><b/>";
                expected.AddCdata(bytes);
            } else {
                document += bytes + "<b/>";
                expected.AddText("", bytes);
            }
        }
        document += "</e>";
        const auto tree = xmltest::Parse(document);
        ASSERT_TRUE(tree);
        ASSERT_EQ(tree->Content() ? xmltest::Text(*tree->Content()) : "<none>", expected.Text()) << document;
    }
}

}  // namespace
