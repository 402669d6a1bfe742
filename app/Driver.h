#pragma once
// The program's whole job, from the command line to the exit value:
//   start-up (folders, the first log lines, the old export removed), the feed object, the
//   download, the export document, and the last log line of whichever end the run reaches.
//
//   RunFeedDoc("http://example.com/feed.xml")  ->  0 after a complete export, -1 otherwise
//
// The command line is the URL exactly as given: nothing is trimmed, unquoted or split.

#include <functional>
#include <string>

int RunFeedDoc(const std::string& commandLine);

// Runs `job` and returns its exit value. Should it throw (in practice: memory exhausted in a
// string operation), the run ends as a failure (-1) and a half-written export at `exportPath`
// is removed, so that no reader takes a truncated document for a finished one. No log line is
// written on that road: writing one needs the memory that just ran out.
int RunWithCatchAll(const std::function<int()>& job, const std::string& exportPath);
