#pragma once
// The charset registry: charset names as they appear in HTTP headers, HTML meta declarations
// and XML declarations, and the Windows code page numbers the conversion engine works with.
//
// API summary
//   int  CodePageOfName(const char* name)   code page of an accepted name, 0 when not accepted
//   bool IsKnownCharset(const char* name)   CodePageOfName(name) != 0
//   bool NameOfCodePage(int cp, StringBuffer& name)
//                                           clears `name`; puts the canonical name there and
//                                           returns true when the code page has one
// Names are matched after trimming blanks, tabs, CRs and LFs, lower-casing (ASCII letters and
// the bytes 0xC0-0xDF) and reading "_" as "-"; names shorter than 3 bytes are never accepted,
// and "ansi" gives the process's ANSI code page. Examples: "ISO_8859-1" -> 28591,
// " Windows-1252 " -> 1252, "UTF8" -> 65001, "x-sjis" -> 932; NameOfCodePage(932) gives
// "shift_jis". The table is fixed; nothing is read from the platform except the ANSI code page.

class StringBuffer;

int CodePageOfName(const char* name);
bool IsKnownCharset(const char* name);
bool NameOfCodePage(int codePage, StringBuffer& name);
