#include "test_host.h"

#include "plugin_library.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>

namespace kestro::test {

namespace {

// The plug-in calls the host before the entry has returned its descriptor (the version
// query has no effect pointer at all), so the instance being created is found through
// this thread's pointer until the descriptor is registered.
thread_local TestHost* tCreating = nullptr;

std::mutex gLoadMutex;
void* gLibrary = nullptr;
std::string gLoadError;

std::mutex gRegistryMutex;
std::map<const AEffect*, TestHost*>& registry()
{
    static std::map<const AEffect*, TestHost*> hosts;
    return hosts;
}

TestHost* findHost(const AEffect* effect)
{
    if (effect != nullptr) {
        std::lock_guard<std::mutex> lock(gRegistryMutex);
        auto it = registry().find(effect);
        if (it != registry().end())
            return it->second;
    }
    return tCreating;
}

} // namespace

PluginEntry pluginEntry(const char* symbol)
{
    std::lock_guard<std::mutex> lock(gLoadMutex);
    if (gLibrary == nullptr) {
        gLibrary = openPluginLibrary(gLoadError);
        if (gLibrary == nullptr)
            return nullptr;
    }
    void* address = findPluginSymbol(gLibrary, symbol);
    if (address == nullptr) {
        gLoadError = std::string("no exported symbol ") + symbol;
        return nullptr;
    }
    return reinterpret_cast<PluginEntry>(address);
}

std::string pluginLoadError()
{
    std::lock_guard<std::mutex> lock(gLoadMutex);
    return gLoadError;
}

TestHost::TestHost() : TestHost(Options{}) {}

TestHost::TestHost(Options options) : options_(options) {}

TestHost::~TestHost()
{
    close();
}

bool TestHost::create()
{
    if (effect_ != nullptr)
        return true;
    PluginEntry entry = pluginEntry(options_.entrySymbol);
    if (entry == nullptr)
        return false;
    TestHost* previous = tCreating;
    tCreating = this;
    AEffect* created = entry(options_.nullCallback ? nullptr : &TestHost::callback);
    tCreating = previous;
    if (created != nullptr) {
        std::lock_guard<std::mutex> lock(gRegistryMutex);
        registry()[created] = this;
    }
    effect_ = created;
    return created != nullptr;
}

void TestHost::setPinConnected(bool output, VstInt32 pin, bool connected)
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto& list = output ? disconnectedOutputs_ : disconnectedInputs_;
    list.erase(std::remove(list.begin(), list.end(), pin), list.end());
    if (!connected)
        list.push_back(pin);
}

VstIntPtr TestHost::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

std::string TestHost::dispatchText(VstInt32 opcode, VstInt32 index, VstIntPtr value, VstIntPtr* result)
{
    char buffer[256] = {};
    const VstIntPtr r = dispatch(opcode, index, value, buffer);
    if (result != nullptr)
        *result = r;
    buffer[sizeof buffer - 1] = '\0';
    return buffer;
}

void TestHost::setParameter(VstInt32 index, float value)
{
    effect_->setParameter(effect_, index, value);
}

float TestHost::getParameter(VstInt32 index)
{
    return effect_->getParameter(effect_, index);
}

void TestHost::processReplacing(float** inputs, float** outputs, VstInt32 frames)
{
    effect_->processReplacing(effect_, inputs, outputs, frames);
}

void TestHost::processDoubleReplacing(double** inputs, double** outputs, VstInt32 frames)
{
    effect_->processDoubleReplacing(effect_, inputs, outputs, frames);
}

void TestHost::prepare(float sampleRate, VstInt32 blockSize)
{
    dispatch(effSetSampleRate, 0, 0, nullptr, sampleRate);
    dispatch(effSetBlockSize, 0, blockSize);
    dispatch(effMainsChanged, 0, 1);
}

VstIntPtr TestHost::close()
{
    if (effect_ == nullptr)
        return 0;
    AEffect* closing = effect_;
    const VstIntPtr result = closing->dispatcher(closing, effClose, 0, 0, nullptr, 0.0f);
    {
        std::lock_guard<std::mutex> lock(gRegistryMutex);
        registry().erase(closing);
    }
    effect_ = nullptr;
    return result;
}

std::vector<HostCall> TestHost::calls() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
}

std::vector<AutomationCall> TestHost::automations() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return automations_;
}

std::vector<EditCall> TestHost::edits() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return edits_;
}

int TestHost::updateDisplayCount() const
{
    return countCalls(audioMasterUpdateDisplay);
}

int TestHost::countCalls(VstInt32 opcode) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(std::count_if(calls_.begin(), calls_.end(),
                                          [opcode](const HostCall& c) { return c.opcode == opcode; }));
}

void TestHost::clearRecords()
{
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.clear();
    automations_.clear();
    edits_.clear();
}

VstIntPtr VSTCALLBACK TestHost::callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                         void* /*ptr*/, float opt)
{
    TestHost* host = findHost(effect);
    if (host == nullptr)
        return 0;
    return host->answer(effect, HostCall{opcode, index, value, opt, effect != nullptr});
}

VstIntPtr TestHost::answer(AEffect* effect, const HostCall& call)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        calls_.push_back(call);
    }
    if (intercept) {
        if (std::optional<VstIntPtr> answered = intercept(*this, call))
            return *answered;
    }
    switch (call.opcode) {
    case audioMasterVersion:
        return options_.versionAnswer;
    case audioMasterAutomate: {
        // Read back while the notice is in flight: tells whether the plug-in stored the
        // value before telling us.
        const float seen = effect != nullptr ? effect->getParameter(effect, call.index)
                                             : std::numeric_limits<float>::quiet_NaN();
        std::lock_guard<std::mutex> lock(mutex_);
        automations_.push_back(AutomationCall{call.index, call.opt, seen});
        return 0;
    }
    case audioMasterBeginEdit:
    case audioMasterEndEdit: {
        std::lock_guard<std::mutex> lock(mutex_);
        edits_.push_back(EditCall{call.opcode == audioMasterBeginEdit, call.index});
        return 1;
    }
    case audioMasterUpdateDisplay:
        return 1;
    case audioMasterPinConnected: {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto& list = call.value != 0 ? disconnectedOutputs_ : disconnectedInputs_;
        const bool connected = std::find(list.begin(), list.end(), call.index) == list.end();
        return connected ? 0 : 1;
    }
    default:
        return 0;
    }
}

} // namespace kestro::test
