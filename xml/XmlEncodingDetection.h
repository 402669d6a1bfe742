#pragma once
// Turns the raw bytes of an XML file into the UTF-8 the parser reads, before parsing:
// - a byte-order mark FF FE or FE FF: the whole file is UTF-16 (little- or big-endian) and is
//   converted (the mark goes);
// - EF BB BF: the three bytes go, and the rest is taken as UTF-8 whatever it declares;
// - otherwise the XML declaration is looked for: a known charset named by its
//   encoding="..." (or '...'), other than UTF-8, is converted from. A charset the registry
//   does not know, an empty name or a value without its closing quote leave the bytes as they
//   are, and so does a known charset that converts to nothing at all.

class DataBuffer;
class LogBase;

// Rewrites `bytes` in place; false only when it holds no bytes at all. Nothing it decides is an
// error, so it writes nothing to `log`.
bool ConvertToUtf8ForParse(DataBuffer& bytes, LogBase& log);
