#pragma once
// The start of a run, before the feed object exists: the log base folder and the three first log
// lines, the export folders, and the removal of the previous export document. From here on an
// old Temp_RSS.xml is gone, whatever happens next.

#include "app/RunFolders.h"

void StartRun(const RunFolders& folders);
