#include "encoding/StringBufferConversion.h"

#include "core/DataBuffer.h"
#include "core/StringBuffer.h"
#include "encoding/EncodingConvert.h"

bool ConvertInPlace(StringBuffer& text, int fromCodePage, int toCodePage) {
    DataBuffer converted;
    const bool complete = EncodingConvert().Convert(fromCodePage, toCodePage, text.GetString(),
                                                    text.GetSize(), converted);
    if (converted.GetSize() == 0 && !text.IsEmpty() && !complete) {
        return false;
    }
    return text.SetBytes(converted.GetData(), converted.GetSize()) && complete;
}
