#include "tools/tav-render/audio_files.h"
#include "tools/tav-render/messages.h"

#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestro::render {
namespace {

std::string lowerExtension(const std::string& path)
{
    std::string extension = std::filesystem::path(path).extension().string();
    if (!extension.empty())
        extension.erase(0, 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

bool formatIsValid(int format)
{
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 2;
    info.format = format;
    return sf_format_check(&info) != 0;
}

} // namespace

// ---- input ---------------------------------------------------------------------------------

std::unique_ptr<InputFile> InputFile::open(const std::string& path, std::string& error)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        error = "cannot open input " + inQuotes(path) + ": " + std::strerror(errno);
        return nullptr;
    }
    if (S_ISDIR(status.st_mode)) {
        error = "input " + inQuotes(path) + " is a directory";
        return nullptr;
    }
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) {
        error = "cannot read input " + inQuotes(path) + ": " + sf_strerror(nullptr);
        return nullptr;
    }
    std::unique_ptr<InputFile> input(new InputFile());
    input->file_ = file;
    input->channels_ = info.channels;
    input->frames_ = info.frames;
    input->sampleRate_ = info.samplerate;
    input->format_ = info.format;
    return input;
}

InputFile::~InputFile()
{
    if (file_ != nullptr)
        sf_close(file_);
}

bool InputFile::read(double* interleaved, int count)
{
    return sf_readf_double(file_, interleaved, count) == count;
}

// ---- output formats ------------------------------------------------------------------------

std::optional<int> outputFormatFor(const std::string& path, std::optional<int> inputFormat, std::string& error)
{
    const std::string extension = lowerExtension(path);
    int major = 0;
    if (extension == "wav" || extension == "wave")
        major = SF_FORMAT_WAV;
    else if (extension == "flac")
        major = SF_FORMAT_FLAC;
    else if (extension == "aif" || extension == "aiff" || extension == "aifc")
        major = SF_FORMAT_AIFF;
    else if (extension == "w64")
        major = SF_FORMAT_W64;
    else if (extension == "rf64")
        major = SF_FORMAT_RF64;
    else if (extension == "caf")
        major = SF_FORMAT_CAF;
    else if (extension == "ogg" || extension == "oga")
        major = SF_FORMAT_OGG;
    else {
        error = "cannot tell the format of output " + inQuotes(path) +
                " from its extension (use .wav, .flac, .aif, .aiff, .w64, .rf64, .caf or .ogg)";
        return std::nullopt;
    }
    if (inputFormat) {
        const int kept = major | (*inputFormat & SF_FORMAT_SUBMASK);
        if (formatIsValid(kept))
            return kept;
    }
    const int fallback = major | (major == SF_FORMAT_OGG ? SF_FORMAT_VORBIS : SF_FORMAT_PCM_24);
    if (!formatIsValid(fallback)) {
        error = "this libsndfile cannot write " + extension + " files";
        return std::nullopt;
    }
    return fallback;
}

bool formatClips(int format)
{
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_FLOAT:
    case SF_FORMAT_DOUBLE:
    case SF_FORMAT_VORBIS:
    case SF_FORMAT_OPUS:
        return false;
    default:
        return true;
    }
}

// ---- pending files -------------------------------------------------------------------------

std::unique_ptr<PendingFile> PendingFile::create(const std::string& destination, std::string& error)
{
    namespace fs = std::filesystem;
    if (destination.empty()) {
        error = "empty output file name";
        return nullptr;
    }
    struct stat status {};
    if (::stat(destination.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) {
        error = "output " + inQuotes(destination) + " is a directory";
        return nullptr;
    }
    const fs::path target(destination);
    if (!target.has_filename()) {
        error = "output " + inQuotes(destination) + " names no file";
        return nullptr;
    }
    const fs::path directory = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::string hidden = ".";
    hidden += target.filename().string();
    hidden += ".tmp-XXXXXX";
    std::string pattern = (directory / hidden).string();
    const int descriptor = ::mkstemp(pattern.data());
    if (descriptor < 0) {
        error = "cannot write " + inQuotes(destination) + ": " + std::strerror(errno) + " (in directory " +
                inQuotes(directory.string()) + ")";
        return nullptr;
    }
    // mkstemp makes the file private; the finished file should look like any other new file.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(descriptor, 0666 & ~mask);

    std::unique_ptr<PendingFile> pending(new PendingFile());
    pending->destination_ = destination;
    pending->temporary_ = pattern;
    pending->descriptor_ = descriptor;
    return pending;
}

PendingFile::~PendingFile()
{
    closeDescriptor();
    if (!committed_)
        ::unlink(temporary_.c_str());
}

void PendingFile::closeDescriptor()
{
    if (descriptor_ >= 0)
        ::close(descriptor_);
    descriptor_ = -1;
}

bool PendingFile::writeAll(std::span<const unsigned char> bytes, std::string& error)
{
    if (descriptor_ < 0) {
        error = "internal: " + inQuotes(destination_) + " is no longer open";
        return false;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(descriptor_, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            error = "cannot write " + inQuotes(destination_) + ": " + std::strerror(errno);
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

bool PendingFile::commit(std::string& error)
{
    if (descriptor_ >= 0 && ::close(descriptor_) != 0) {
        descriptor_ = -1;
        error = "cannot write " + inQuotes(destination_) + ": " + std::strerror(errno);
        return false;
    }
    descriptor_ = -1;
    if (::rename(temporary_.c_str(), destination_.c_str()) != 0) {
        error = "cannot move the finished file to " + inQuotes(destination_) + ": " + std::strerror(errno);
        return false;
    }
    committed_ = true;
    return true;
}

// ---- output --------------------------------------------------------------------------------

std::unique_ptr<OutputFile> OutputFile::open(PendingFile& pending, int format, int channels, int sampleRate,
                                             std::string& error)
{
    pending.closeDescriptor();
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = channels;
    info.format = format;
    if (sf_format_check(&info) == 0) {
        error = "cannot write " + inQuotes(pending.destination()) + ": its format does not allow " +
                std::to_string(channels) + " channels at " + std::to_string(sampleRate) + " Hz";
        return nullptr;
    }
    SNDFILE* file = sf_open(pending.temporaryPath().c_str(), SFM_WRITE, &info);
    if (file == nullptr) {
        error = "cannot write " + inQuotes(pending.destination()) + ": " + sf_strerror(nullptr);
        return nullptr;
    }
    // Integer formats: saturate at full scale instead of wrapping around.
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    std::unique_ptr<OutputFile> output(new OutputFile());
    output->file_ = file;
    output->path_ = pending.destination();
    return output;
}

OutputFile::~OutputFile()
{
    if (file_ != nullptr)
        sf_close(file_);
}

bool OutputFile::write(const double* interleaved, int count)
{
    return sf_writef_double(file_, interleaved, count) == count;
}

bool OutputFile::close(std::string& error)
{
    if (file_ == nullptr)
        return true;
    const int failure = sf_error(file_);
    const std::string message = failure != 0 ? sf_strerror(file_) : std::string();
    const int closed = sf_close(file_);
    file_ = nullptr;
    if (failure != 0 || closed != 0) {
        error = "cannot write " + inQuotes(path_) + ": " + (message.empty() ? sf_error_number(closed) : message);
        return false;
    }
    return true;
}

// ---- whole files ---------------------------------------------------------------------------

std::optional<std::vector<unsigned char>> readWholeFile(const std::string& path, std::size_t limit,
                                                        std::string& error)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        error = "cannot open " + inQuotes(path) + ": " + std::strerror(errno);
        return std::nullopt;
    }
    if (!S_ISREG(status.st_mode)) {
        error = inQuotes(path) + " is not a regular file";
        return std::nullopt;
    }
    if (static_cast<std::uintmax_t>(status.st_size) > limit) {
        error = inQuotes(path) + " is too large (" + std::to_string(status.st_size) + " bytes)";
        return std::nullopt;
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        error = "cannot open " + inQuotes(path) + ": " + std::strerror(errno);
        return std::nullopt;
    }
    std::vector<unsigned char> bytes(static_cast<std::size_t>(status.st_size));
    const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), file);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed || got != bytes.size()) {
        error = "cannot read " + inQuotes(path);
        return std::nullopt;
    }
    return bytes;
}

} // namespace kestro::render
