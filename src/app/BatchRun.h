#pragma once
// "Start Replacing": walks the file list top to bottom and replaces text in
// each file, with the single texts or with the sets depending on the tab.

namespace quorvane {

class Form1;

// PushButton12_Click. Ignored while a run is going on; trapped as
// "Form1.PushButton12_Click"; the per-file procedures report their own failures.
void RunBatch(Form1& form);

} // namespace quorvane
