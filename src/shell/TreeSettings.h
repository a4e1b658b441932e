#pragma once
// The window's choices about what a run reaches in a source tree: whether its
// folder scans enter version-control folders, and whether runs replace in
// binary files.
namespace quorvane {

struct TreeChoices {
    bool includeVcs = false;
    bool binary = false;
    bool operator==(const TreeChoices&) const = default;
};

// Stored under "Include Version-Control Folders" and "Replace In Binary
// Files" ("True"/"False"); a value that cannot be read gives the default.
TreeChoices ReadTreeChoices();
// Throws Failure if the store refuses.
void WriteTreeChoices(const TreeChoices& choices);

} // namespace quorvane
