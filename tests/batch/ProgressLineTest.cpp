// The progress line's exact bytes: drawn at most every 100 ms, shortened to
// the terminal's width, erased before other messages, and nothing at all off
// a terminal.
#include "batch/ProgressLine.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using quorvane::batch::ProgressLine;

namespace {

struct Step {
    char what;         // f: a file (done, path), t: tick, e: erase
    qint64 at;         // ms
    qsizetype done = 0;
    const char* path = "";
};

std::string Drawn(int columns, const std::vector<Step>& steps)
{
    char* buffer = nullptr;
    size_t size = 0;
    std::FILE* stream = ::open_memstream(&buffer, &size);
    qint64 now = 0;
    {
        ProgressLine line(stream, columns, [&now] { return now; });
        line.setTotal(3);
        for (const Step& s : steps) {
            now = s.at;
            if (s.what == 'f')
                line.file(s.done, QString::fromUtf8(s.path));
            else if (s.what == 't')
                line.tick();
            else
                line.erase();
        }
    }
    std::fclose(stream);
    std::string out(buffer, size);
    std::free(buffer);
    return out;
}

} // namespace

TEST(ProgressLine, DrawsAtMostTenTimesASecondAndErasesBeforeOtherMessages)
{
    const std::vector<Step> run = {
        {'f', 0, 0, "a.txt"},   // drawn at once
        {'f', 50, 1, "b.txt"},  // held back
        {'t', 99},
        {'t', 100},             // due: b.txt
        {'t', 150},             // nothing new
        {'e', 160},
        {'e', 170},             // already off the screen
        {'t', 180},             // not due yet
        {'t', 200},             // drawn again after the message
        {'f', 250, 2, "sub/c.txt"},
        {'e', 260},
    };
    const struct {
        int columns;
        std::vector<Step> steps;
        std::string bytes;
    } cases[] = {
        {0, run, ""},
        {80, run,
         "\r0 of 3 done: a.txt\x1b[K" "\r1 of 3 done: b.txt\x1b[K" "\r\x1b[K"
         "\r1 of 3 done: b.txt\x1b[K" "\r\x1b[K"},
        // A path too long for the line keeps its end; a terminal too narrow
        // for even the count gets the count cut.
        {20, {{'f', 0, 2, "folder/some/deep/name.txt"}}, "\r2 of 3 done: \xE2\x80\xA6" "e.txt\x1b[K"},
        {8, {{'f', 0, 2, "x.txt"}}, "\r2 of 3 \x1b[K"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Drawn(c.columns, c.steps), c.bytes) << c.columns;
}
