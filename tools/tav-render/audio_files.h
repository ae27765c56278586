#pragma once
// Audio files through libsndfile, and output files that only appear once they are
// complete: everything is written to a temporary file beside the destination and renamed
// over it at the end, so a failed or interrupted render leaves nothing half-written and
// never damages a file that was there before.

#include "tools/tav-render/audio_io.h"

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

struct sf_private_tag;

namespace kestro::render {

class InputFile final : public AudioSource {
public:
    static std::unique_ptr<InputFile> open(const std::string& path, std::string& error);
    ~InputFile() override;

    int channels() const override { return channels_; }
    std::int64_t frames() const override { return frames_; }
    bool read(double* interleaved, int count) override;
    int sampleRate() const { return sampleRate_; }
    int format() const { return format_; } // libsndfile format word

private:
    InputFile() = default;
    sf_private_tag* file_ = nullptr;
    int channels_ = 0;
    std::int64_t frames_ = 0;
    int sampleRate_ = 0;
    int format_ = 0;
};

// The libsndfile format word for an output path, from its extension. The input's sample
// format is kept where the container can hold it; otherwise 24-bit PCM (Vorbis for .ogg).
std::optional<int> outputFormatFor(const std::string& path, std::optional<int> inputFormat, std::string& error);
// Whether the format stores integers, so samples beyond full scale are clipped.
bool formatClips(int format);

// A temporary file in the destination's directory; commit() renames it into place, the
// destructor removes it when it was not committed.
class PendingFile {
public:
    static std::unique_ptr<PendingFile> create(const std::string& destination, std::string& error);
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    const std::string& destination() const { return destination_; }
    const std::string& temporaryPath() const { return temporary_; }
    // Writers that open the temporary file by its path close our descriptor first.
    void closeDescriptor();
    bool writeAll(std::span<const unsigned char> bytes, std::string& error);
    bool commit(std::string& error);

private:
    PendingFile() = default;
    std::string destination_;
    std::string temporary_;
    int descriptor_ = -1;
    bool committed_ = false;
};

class OutputFile final : public AudioSink {
public:
    static std::unique_ptr<OutputFile> open(PendingFile& pending, int format, int channels, int sampleRate,
                                            std::string& error);
    ~OutputFile() override;

    bool write(const double* interleaved, int count) override;
    // Flushes and closes; false (with a message) when the last writes failed.
    bool close(std::string& error);

private:
    OutputFile() = default;
    sf_private_tag* file_ = nullptr;
    std::string path_;
};

// The whole file, for preset and bank files; refuses files larger than `limit` bytes.
std::optional<std::vector<unsigned char>> readWholeFile(const std::string& path, std::size_t limit,
                                                        std::string& error);

} // namespace kestro::render
