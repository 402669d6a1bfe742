// Runs a script of diagnostic-log operations taken from the input, then renders the tree in all
// three forms. The XML rendering must open and close contexts in balance.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <string>

#include "core/Logger.h"
#include "core/StringBuffer.h"

namespace {

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

size_t Count(const std::string& text, const std::string& piece) {
    size_t count = 0;
    for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) {
        ++count;
    }
    return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    Logger log;
    bool textsLookLikeMarkup = false;  // then a value could fake a context line
    while (input.remaining_bytes() > 0) {
        const std::string text = input.ConsumeRandomLengthString(32);
        // A data entry tagged "ctx" renders like a context too.
        textsLookLikeMarkup = textsLookLikeMarkup || text.find_first_of("<>") != std::string::npos ||
                              text.find("ctx") != std::string::npos;
        switch (input.ConsumeIntegralInRange<int>(0, 8)) {
            case 0:
                log.OpenContext("ctx");
                break;
            case 1:
                log.CloseContext();
                break;
            case 2:
                log.AddError(text.c_str());
                break;
            case 3:
                log.AddInfo(text.c_str());
                break;
            case 4: {
                const std::string value = input.ConsumeRandomLengthString(32);
                textsLookLikeMarkup = textsLookLikeMarkup || value.find_first_of("<>") != std::string::npos;
                log.AddData(text.c_str(), value.c_str());
                break;
            }
            case 5:
                log.AddDataInt(text.c_str(), input.ConsumeIntegral<int32_t>());
                break;
            case 6:
                log.AddRaw(text.c_str());
                break;
            case 7:
                log.LogDataHex("bytes", text.data(), static_cast<uint32_t>(text.size()));
                break;
            case 8:
                if (input.ConsumeBool()) {
                    log.ResetLog();
                }
                break;
        }
    }
    StringBuffer xml, textForm, html;
    log.GetAsXml(xml);
    log.GetAsText(textForm);
    log.GetAsHtml(html);
    const std::string rendered(xml.GetString(), xml.GetSize());
    if (!textsLookLikeMarkup) {
        // Context lines stand alone; a data entry tagged "ctx" renders on one line.
        Require(Count(rendered, "\n<ctx>\r\n") == Count(rendered, "\n</ctx>\r\n"));
    }
    Require(xml.BeginsWith("<QuorvelLog>\r\n") && xml.EndsWith("</QuorvelLog>\r\n"));
    return 0;
}
