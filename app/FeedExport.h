#pragma once
// The export document Temp_RSS.xml: a flat rendering of one feed's channel and items, in
// UTF-16LE with a byte-order mark, no declaration, no line breaks of its own:
//
//   <rootrss>
//     <maintitle><![CDATA[title]]></maintitle> <mainlink>..</mainlink> <maindescription>..
//     per item: <item><title> <link> <pubdate> <description> <author> <guid> <status></item>
//   </rootrss>
//
// Every field is the channel's or item's GetString text (in the ANSI code page), each byte
// widened to the UTF-16 code unit of the same value; a line feed inside it is written as CR LF.
// Link, pubdate, guid and status lose every no-break-space + space pair. Texts are written
// unchanged, "]]>" included. The item's guid is asked for as "GUID" and its date as "pubDate".

#include <cstdint>
#include <string>

#include "platform/Utf16Output.h"

class QvRss;

constexpr uint32_t kPauseBeforeItemMs = 2;

// Writes the whole document from the channel object. Logs "Number of Items in XML is " with the
// count after the channel fields, and pauses before each item (2 ms in the program).
void WriteFeedExport(QvRss& channel, platform::Utf16Output& out,
                     uint32_t pauseBeforeItemMs = kPauseBeforeItemMs);

// Removes every U+00A0 U+0020 pair in one left-to-right pass (pairs that only form through a
// removal stay).
std::u16string RemoveNoBreakSpacePairs(std::u16string text);
