#pragma once

// What a benchmark process prints, one line each, for scripts/bench.sh:
// "S <figure> <value>" a sample, "N <text>" a note, "E <text>" a failure.
namespace bench {

void Sample(const char* figure, double value);
void Note(const char* format, ...);
void Fail(const char* format, ...);

// Failures so far: the process's exit code.
int Failures();

}  // namespace bench
