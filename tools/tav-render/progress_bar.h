#pragma once
// A one-line progress bar on stderr while a long render runs on a terminal. It stays out of
// the way otherwise: nothing when stderr is not a terminal, nothing for renders that finish
// within a moment, and the line is cleared when the render ends.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace kestro::render {

// "rendering [#######.............]  35%  4.2 / 12.0 s  8.1x real time", fitted into `width`.
std::string formatProgressLine(std::int64_t done, std::int64_t total, double sampleRate, double elapsedSeconds,
                               int width);

class ProgressBar {
public:
    using Clock = std::chrono::steady_clock;

    ProgressBar(std::FILE* stream, bool enabled, std::int64_t totalFrames, double sampleRate);
    ~ProgressBar();

    void update(std::int64_t done);
    // Clears the line if one was drawn.
    void finish();

    // Whether stderr is a terminal that can take a redrawn line.
    static bool stderrIsTerminal();

private:
    std::FILE* stream_;
    bool enabled_;
    std::int64_t total_;
    double sampleRate_;
    Clock::time_point start_;
    Clock::time_point lastDraw_;
    bool drawn_ = false;
};

} // namespace kestro::render
