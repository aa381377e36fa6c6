#pragma once

namespace bench {

// Milliseconds from the performance counter.
double NowMs();

// Adds the time of its own lifetime to a total.
class Stopwatch {
public:
    explicit Stopwatch(double* total) : total_(total), start_(NowMs()) {}
    ~Stopwatch() { *total_ += NowMs() - start_; }
    Stopwatch(const Stopwatch&) = delete;
    Stopwatch& operator=(const Stopwatch&) = delete;

private:
    double* total_;
    double start_;
};

}  // namespace bench
