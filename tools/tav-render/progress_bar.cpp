#include "tools/tav-render/progress_bar.h"

#include <algorithm>
#include <sys/ioctl.h>
#include <unistd.h>

namespace kestro::render {
namespace {

// Short renders finish before a bar would help; redraws are throttled to stay cheap.
constexpr auto kShowAfter = std::chrono::milliseconds(400);
constexpr auto kRedrawEvery = std::chrono::milliseconds(100);

int terminalWidth(std::FILE* stream)
{
    winsize size{};
    if (::ioctl(::fileno(stream), TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
}

} // namespace

std::string formatProgressLine(std::int64_t done, std::int64_t total, double sampleRate, double elapsedSeconds,
                               int width)
{
    const double fraction =
        total > 0 ? std::clamp(static_cast<double>(done) / static_cast<double>(total), 0.0, 1.0) : 1.0;
    const double rate = sampleRate > 0.0 ? sampleRate : 1.0;
    const double doneSeconds = fraction * static_cast<double>(total) / rate;
    const double totalSeconds = static_cast<double>(total) / rate;

    char numbers[64];
    std::snprintf(numbers, sizeof numbers, " %3d%%  %.1f / %.1f s", static_cast<int>(fraction * 100.0),
                  doneSeconds, totalSeconds);
    char speed[48] = "";
    if (elapsedSeconds > 0.0 && doneSeconds > 0.0)
        std::snprintf(speed, sizeof speed, "  %.1fx real time", doneSeconds / elapsedSeconds);

    // The last column stays free so the terminal never wraps; on a narrow one the speed
    // goes first, then the bar.
    const std::string head = "rendering [";
    constexpr int kMinimumBar = 10;
    const int room = width - 1;
    std::string tail = std::string(numbers) + speed;
    if (static_cast<int>(head.size() + 1 + tail.size()) + kMinimumBar > room)
        tail = numbers;
    const int barWidth = room - static_cast<int>(head.size() + 1 + tail.size());
    if (barWidth < kMinimumBar)
        return tail.substr(1, static_cast<std::size_t>(std::max(room, 0)));

    const int filled = static_cast<int>(fraction * barWidth);
    std::string line = head;
    line.append(static_cast<std::size_t>(filled), '#');
    line.append(static_cast<std::size_t>(barWidth - filled), '.');
    line += ']';
    line += tail;
    return line;
}

ProgressBar::ProgressBar(std::FILE* stream, bool enabled, std::int64_t totalFrames, double sampleRate)
    : stream_(stream), enabled_(enabled && stream != nullptr), total_(totalFrames), sampleRate_(sampleRate),
      start_(Clock::now()), lastDraw_(start_)
{
}

ProgressBar::~ProgressBar()
{
    finish();
}

bool ProgressBar::stderrIsTerminal()
{
    return ::isatty(STDERR_FILENO) != 0;
}

void ProgressBar::update(std::int64_t done)
{
    if (!enabled_)
        return;
    const Clock::time_point now = Clock::now();
    if (now - start_ < kShowAfter || (drawn_ && now - lastDraw_ < kRedrawEvery))
        return;
    lastDraw_ = now;
    const double elapsed = std::chrono::duration<double>(now - start_).count();
    const std::string line = formatProgressLine(done, total_, sampleRate_, elapsed, terminalWidth(stream_));
    std::fprintf(stream_, "\r%s", line.c_str());
    std::fflush(stream_);
    drawn_ = true;
}

void ProgressBar::finish()
{
    if (drawn_) {
        std::fputs("\r\033[K", stream_);
        std::fflush(stream_);
    }
    drawn_ = false;
}

} // namespace kestro::render
