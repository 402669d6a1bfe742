#pragma once
// The end of a run once the feed is downloaded: find channel 0, create Temp_RSS.xml, write it,
// and log the end. Returns the program's exit value: 0 after a complete export, -1 when the feed
// has no channel or the export file cannot be created (then no document exists).

#include <string>

#include "app/RunFolders.h"

class QvRss;

int ExportFeed(QvRss& feed, const RunFolders& folders, const std::u16string& urlForLog);

// The URL as the log shows it: each byte widened to a UTF-16 code unit, at most 255 of them.
std::u16string UrlForLog(const std::string& commandLine);
