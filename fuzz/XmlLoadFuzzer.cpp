// The file road of the XML loader: arbitrary file bytes go through the encoding detection
// (byte-order marks, the declared charset and its conversion) and then the parser, as
// LoadXmlFile does. Checks that detection reports "no bytes" exactly for empty input, that a
// UTF-8 byte-order mark is all it takes away from UTF-8 bytes, and that the tree it leads to
// belongs together.

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "core/DataBuffer.h"
#include "core/LogBase.h"
#include "xml/ParseEngine.h"
#include "xml/TreeInfo.h"
#include "xml/TreeNode.h"
#include "xml/XmlDeclaration.h"
#include "xml/XmlEncodingDetection.h"
#include "xml/XmlParser.h"

namespace {
void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    DataBuffer bytes;
    bytes.Append(data, static_cast<uint32_t>(size));
    LogNull log;
    const bool converted = ConvertToUtf8ForParse(bytes, log);
    Require(converted == (size > 0));
    if (size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) {
        Require(bytes.Equals(data + 3, static_cast<uint32_t>(size - 3)));
    }
    if (!converted) {
        return 0;
    }
    ParseEngine engine(bytes);
    TreeNode* root = nullptr;
    Require(ParseXmlTree(engine, &log, nullptr, &root, true));
    if (root) {
        Require(TreeInfo::IsLive(root->Info()) && root->Info()->Root() == root);
        StringBuffer encoding;
        if (DeclaredEncoding(*root->Info(), encoding)) {
            Require(SetDeclEncoding(*root->Info(), "utf-8"));
            Require(DeclaredEncoding(*root->Info(), encoding) && encoding.Equals("utf-8"));
        }
        delete root;
    }
    return 0;
}
