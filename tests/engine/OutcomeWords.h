#pragma once
// A file's failure in the words the window shows, for exact assertions.
#include "engine/FileReplace.h"
#include "engine/files/FileAccess.h"

namespace quorvane::test {

inline QString Why(const FileOutcome& outcome)
{
    return DescribeFileError(outcome.failure);
}

} // namespace quorvane::test
