// A hostile host: the input is read as a sequence of calls through the plug-in's exported
// entry and descriptor (dispatcher opcodes with any index and value, parameters with any
// float, processing in both precisions with any block size up to 4096, rate and block-size
// changes around suspend/resume, damaged chunks, MIDI lists). After every call the plug-in
// must still answer like a plug-in: host parameters within 0..1 (or what the host itself
// sent there), the chunk whole and readable back, and output finite and below +24 dBFS for
// an input that never exceeds 0 dBFS.
#include "host/vst_abi.h"
#include "temporary_settings.h"

#include <array>
#include <cmath>
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <limits>
#include <vector>

#ifndef KESTRO_FUZZ_PLUGIN_PATH
#error "KESTRO_FUZZ_PLUGIN_PATH must name the plug-in to drive"
#endif

namespace {

constexpr VstInt32 kHostParameters = 36;
constexpr VstInt32 kChunkSize = 42289;
constexpr int kLargestBlock = 4096;
// Every input gets at most this much audio, so one run stays short.
constexpr long kFrameBudget = 16384;
// +24 dBFS.
constexpr double kPeakLimit = 15.848931924611133;

void require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "host sequence check failed: %s\n", what);
        std::abort();
    }
}

// KESTRO_FUZZ_TRACE=1 lists the calls an input decodes into, for reproducing a finding.
const bool kTrace = std::getenv("KESTRO_FUZZ_TRACE") != nullptr;

__attribute__((format(printf, 1, 2))) void trace(const char* format, ...)
{
    if (!kTrace)
        return;
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
}

using Entry = AEffect* (*)(audioMasterCallback);

Entry loadEntry()
{
    // Instances read and write the per-user settings (file locations at every close).
    require(kestro::fuzz::useTemporarySettings(), "temporary settings directory");
    void* library = ::dlopen(KESTRO_FUZZ_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        std::fprintf(stderr, "cannot load %s: %s\n", KESTRO_FUZZ_PLUGIN_PATH, ::dlerror());
        std::abort();
    }
    auto entry = reinterpret_cast<Entry>(::dlsym(library, "VSTPluginMain"));
    require(entry != nullptr, "VSTPluginMain exported");
    return entry;
}

// What this host answers; the input may make it report pins as disconnected.
VstIntPtr gPinAnswer = 0;

VstIntPtr VSTCALLBACK host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    switch (opcode) {
    case audioMasterVersion:
        return kVstVersion;
    case audioMasterPinConnected:
        return gPinAnswer;
    default:
        return 0;
    }
}

// Reads the input front to back; past its end every read gives zeros.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool empty() const { return at_ >= size_; }
    std::uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
    std::uint32_t word()
    {
        std::uint32_t w = 0;
        for (int i = 0; i < 4; ++i)
            w = (w << 8) | byte();
        return w;
    }
    float anyFloat()
    {
        static constexpr float kSpecial[] = {
            std::numeric_limits<float>::quiet_NaN(), -std::numeric_limits<float>::quiet_NaN(),
            std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
            std::numeric_limits<float>::denorm_min(), -std::numeric_limits<float>::denorm_min(),
            std::numeric_limits<float>::max(), std::numeric_limits<float>::lowest(), 1e30f, -1e30f, -0.0f, 0.0f,
            1.0f, 0.5f, 1.0000001f, -1e-7f};
        const std::uint8_t how = byte();
        if (how < 64) {
            constexpr std::size_t kCount = sizeof kSpecial / sizeof kSpecial[0];
            return kSpecial[how % kCount];
        }
        if (how < 192)
            return static_cast<float>(byte()) / 255.0f;
        const std::uint32_t bits = word();
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

class Session {
public:
    explicit Session(Entry entry) : entry_(entry) { open(); }
    ~Session() { close(); }

    void run(Input& in)
    {
        gPinAnswer = in.byte() & 1;
        while (!in.empty() && effect_ != nullptr) {
            step(in);
            checkParameters();
        }
    }

private:
    void open()
    {
        effect_ = entry_(host);
        require(effect_ != nullptr && effect_->magic == kEffectMagic, "instance created");
    }
    void close()
    {
        if (effect_ != nullptr)
            require(dispatch(effClose) == 1, "effClose answers 1");
        effect_ = nullptr;
    }
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f)
    {
        trace("dispatch(%d, %d, %ld, %.9g)\n", static_cast<int>(opcode), static_cast<int>(index),
              static_cast<long>(value), static_cast<double>(opt));
        return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
    }

    void step(Input& in)
    {
        switch (in.byte() % 12) {
        case 0: anyOpcode(in); break;
        case 1:
        case 2: {
            // Reads are sequenced one per statement: the order of a call's arguments is up to
            // the compiler, and every build must decode an input into the same calls.
            const auto index = static_cast<VstInt32>(in.byte() % 40);
            setParameter(index, in.anyFloat());
            break;
        }
        case 3: {
            const auto index = static_cast<VstInt32>(in.word());
            setParameter(index, in.anyFloat());
            break;
        }
        case 4: process<float>(in); break;
        case 5: process<double>(in); break;
        case 6: restart(in); break;
        case 7: damagedChunk(in); break;
        case 8: checkChunk(); break;
        case 9: midi(in); break;
        case 10: speakers(in); break;
        default: names(in); break;
        }
    }

    // Any opcode with any index, value and option; pointers always point at room enough
    // for what the opcode writes, as a host's do.
    void anyOpcode(Input& in)
    {
        const VstInt32 opcode = static_cast<VstInt32>(static_cast<std::int8_t>(in.byte()));
        const VstInt32 index = static_cast<VstInt32>(in.word());
        VstIntPtr value = static_cast<std::int32_t>(in.word());
        const float opt = in.anyFloat();
        alignas(16) unsigned char scratch[1024] = {};
        void* pointers[2] = {scratch, scratch + 512};
        switch (opcode) {
        case effClose:
            close();
            open();
            return;
        case effEditOpen:
            // A parent window is a real window or nothing; we have none to give.
            dispatch(opcode, index, value, nullptr, opt);
            return;
        case effSetChunk:
            value = static_cast<VstIntPtr>(static_cast<std::uint32_t>(value) % sizeof scratch);
            break;
        case effProcessEvents:
            midi(in);
            return;
        case effSetSpeakerArrangement:
            speakers(in);
            return;
        case effGetSpeakerArrangement:
            value = reinterpret_cast<VstIntPtr>(&pointers[0]);
            dispatch(opcode, index, value, &pointers[1], opt);
            return;
        case effGetChunk:
            checkChunk();
            return;
        case effCanDo:
        case effSetProgramName:
            for (std::size_t i = 0; i + 1 < sizeof scratch && i < 80; ++i)
                scratch[i] = in.byte();
            break;
        case effSetSampleRate:
        case effSetBlockSize:
        case effMainsChanged:
            restart(in);
            return;
        default:
            break;
        }
        dispatch(opcode, index, value, scratch, opt);
    }

    template <typename Sample>
    void process(Input& in)
    {
        const int high = in.byte();
        const int frames = static_cast<int>(((high << 8) | in.byte()) % (kLargestBlock + 1));
        if (framesLeft_ < frames)
            return;
        framesLeft_ -= frames;
        const int shape = in.byte();
        std::vector<Sample> inL(static_cast<std::size_t>(frames)), inR(inL.size());
        std::vector<Sample> outL(inL.size(), Sample(7)), outR(inL.size(), Sample(7));
        for (int i = 0; i < frames; ++i, ++position_) {
            // Full scale at most: a sine, a square or silence, left and right apart.
            const double s = std::sin(0.031 * static_cast<double>(position_));
            const double v = (shape & 3) == 0 ? s : (shape & 3) == 1 ? (s >= 0.0 ? 1.0 : -1.0) : (shape & 3) == 2 ? 0.0 : 0.5 * s;
            inL[static_cast<std::size_t>(i)] = static_cast<Sample>(v);
            inR[static_cast<std::size_t>(i)] = static_cast<Sample>((shape & 4) ? -v : v);
        }
        Sample* inputs[2] = {inL.data(), (shape & 8) ? inL.data() : inR.data()};
        Sample* outputs[2] = {outL.data(), (shape & 16) ? nullptr : outR.data()};
        trace("process%s(%d frames, shape %d)\n", sizeof(Sample) == sizeof(float) ? "Replacing" : "DoubleReplacing",
              frames, shape);
        if constexpr (sizeof(Sample) == sizeof(float))
            effect_->processReplacing(effect_, inputs, outputs, frames);
        else
            effect_->processDoubleReplacing(effect_, inputs, outputs, frames);
        for (const auto* out : {&outL, &outR}) {
            for (Sample x : *out) {
                require(std::isfinite(static_cast<double>(x)), "output finite");
                require(std::fabs(static_cast<double>(x)) <= kPeakLimit, "output below +24 dBFS");
            }
        }
    }

    // What hosts do around a change of rate or block size: suspend, store, resume.
    void restart(Input& in)
    {
        static constexpr float kRates[] = {44100.0f, 48000.0f, 88200.0f, 96000.0f, 176400.0f, 192000.0f,
                                           22050.0f, 8000.0f,  384000.0f, 200000.0f, 11025.0f, 32000.0f};
        const std::uint8_t how = in.byte();
        dispatch(effMainsChanged, 0, 0);
        if (how & 1) {
            const std::uint8_t pick = in.byte();
            const float rate = pick < 224 ? kRates[pick % (sizeof kRates / sizeof kRates[0])] : in.anyFloat();
            dispatch(effSetSampleRate, 0, 0, nullptr, rate);
        }
        if (how & 2)
            dispatch(effSetBlockSize, 0, static_cast<std::int32_t>(in.word()));
        if ((how & 4) == 0)
            dispatch(effMainsChanged, 0, 1);
    }

    // A chunk this plug-in wrote, with a few bytes changed and maybe cut short.
    void damagedChunk(Input& in)
    {
        void* data = nullptr;
        const VstIntPtr size = dispatch(effGetChunk, 0, 0, &data);
        require(size == kChunkSize && data != nullptr, "getChunk hands out the whole bank");
        std::vector<std::uint8_t> chunk(static_cast<const std::uint8_t*>(data),
                                        static_cast<const std::uint8_t*>(data) + size);
        for (int changes = in.byte() % 8; changes > 0; --changes) {
            const std::size_t at = in.word() % chunk.size();
            chunk[at] = in.byte();
        }
        const std::size_t keep = (in.byte() & 1) ? in.word() % (chunk.size() + 1) : chunk.size();
        const VstIntPtr result =
            dispatch(effSetChunk, 0, static_cast<VstIntPtr>(keep), keep > 0 ? chunk.data() : nullptr);
        require(result == 0 || result == -1, "setChunk answers 0 or -1");
    }

    // The chunk is always the whole bank, and taking it back is always accepted.
    void checkChunk()
    {
        void* data = nullptr;
        const VstIntPtr size = dispatch(effGetChunk, 0, 0, &data);
        require(size == kChunkSize && data != nullptr, "getChunk hands out the whole bank");
        std::vector<std::uint8_t> copy(static_cast<const std::uint8_t*>(data),
                                       static_cast<const std::uint8_t*>(data) + size);
        require(dispatch(effSetChunk, 0, size, copy.data()) == 0, "the plug-in's own chunk is taken back");
        void* again = nullptr;
        require(dispatch(effGetChunk, 0, 0, &again) == kChunkSize, "chunk size stable");
        require(std::memcmp(again, copy.data(), copy.size()) == 0, "chunk round trip keeps every byte");
    }

    void midi(Input& in)
    {
        const int count = in.byte() % 9;
        VstMidiEvent events[8] = {};
        std::vector<unsigned char> list(sizeof(VstEvents) + 8 * sizeof(VstEvent*), 0);
        auto* header = reinterpret_cast<VstEvents*>(list.data());
        header->numEvents = count;
        // Hosts allocate the pointer array past the declared two entries.
        auto** slots = reinterpret_cast<VstEvent**>(list.data() + offsetof(VstEvents, events));
        for (int i = 0; i < count; ++i) {
            VstMidiEvent& e = events[i];
            e.type = (in.byte() & 7) == 0 ? kVstSysExType : kVstMidiType;
            e.byteSize = sizeof(VstMidiEvent);
            e.deltaFrames = static_cast<VstInt32>(in.byte());
            const std::uint8_t kind = in.byte();
            e.midiData[0] = static_cast<char>(kind < 128 ? 0xB0 | (kind & 0x0F) : kind);
            e.midiData[1] = static_cast<char>((kind & 0x10) ? 64 : (kind & 0x20) ? 1 : in.byte());
            e.midiData[2] = static_cast<char>(in.byte());
            slots[i] = reinterpret_cast<VstEvent*>(&e);
        }
        const VstIntPtr result = dispatch(effProcessEvents, 0, 0, (in.byte() & 15) == 0 ? nullptr : header);
        require(result == 1 || result == -1, "processEvents answers 1 or -1");
    }

    void speakers(Input& in)
    {
        VstSpeakerArrangement input{}, output{};
        input.numChannels = static_cast<VstInt32>(in.byte() % 10);
        output.numChannels = static_cast<VstInt32>(in.byte() % 10);
        dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&input), &output);
    }

    // Texts the host reads: always terminated within the sizes hosts give.
    void names(Input& in)
    {
        char text[256];
        const VstInt32 index = static_cast<VstInt32>(static_cast<std::int8_t>(in.byte()));
        for (VstInt32 opcode : {effGetParamLabel, effGetParamDisplay, effGetParamName, effGetProgramName}) {
            std::memset(text, 0x55, sizeof text);
            dispatch(opcode, index, 0, text);
            require(std::memchr(text, '\0', 64) != nullptr, "texts terminated");
        }
        std::memset(text, 0x55, sizeof text);
        if (dispatch(effGetProgramNameIndexed, index, 0, text) == 1)
            require(std::memchr(text, '\0', kVstMaxProgNameLen) != nullptr, "program names terminated");
    }

    // The effect stores what it is given, as its value laws demand, so a host that sends a
    // finite value outside 0..1 reads that value back; nothing else may be outside.
    void setParameter(VstInt32 index, float value)
    {
        trace("setParameter(%d, %.9g)\n", static_cast<int>(index), static_cast<double>(value));
        effect_->setParameter(effect_, index, value);
        if (index >= 0 && index < kHostParameters && std::isfinite(value) && (value < 0.0f || value > 1.0f))
            sentOutside_[static_cast<std::size_t>(index)] = value;
    }

    void checkParameters()
    {
        for (VstInt32 i = 0; i < kHostParameters; ++i) {
            const float v = effect_->getParameter(effect_, i);
            if (!(v >= 0.0f && v <= 1.0f) && v != sentOutside_[static_cast<std::size_t>(i)]) {
                std::fprintf(stderr, "parameter %d reads %g\n", static_cast<int>(i), static_cast<double>(v));
                require(false, "host parameters within 0..1");
            }
        }
    }

    Entry entry_;
    AEffect* effect_ = nullptr;
    long framesLeft_ = kFrameBudget;
    std::array<float, kHostParameters> sentOutside_{};
    long position_ = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const Entry entry = loadEntry();
    Input in(data, size);
    Session session(entry);
    session.run(in);
    return 0;
}
