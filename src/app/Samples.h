#pragma once
// Which sample files ship beside the program, recorded once so that later
// loads always offer the same set.

namespace quorvane {

// Stores under "Snapshot" the full paths of the files of the program's
// "Samples" folder, joined by '|'; the empty text when there are none.
void RecordSampleSnapshot();

} // namespace quorvane
