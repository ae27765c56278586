// Writes "TAV Kestro Factory.tvb": the bank a fresh instance of the built plug-in saves,
// taken through the host interface as any host would, so the shipped file is exactly what a
// user's own bank save of an untouched instance writes.
//
//   make-factory-bank PLUGIN OUTPUT

#include "platform/atomic_file.h"
#include "tools/tav-render/plugin_loader.h"
#include "tools/tav-render/plugin_state.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

// A new instance applies the stored default bank and preset of whoever runs the build; an
// empty settings store keeps them out of the factory file.
class EmptySettingsStore {
public:
    EmptySettingsStore()
    {
        std::string base = (std::filesystem::temp_directory_path() / "kestro-factory-XXXXXX").string();
        if (::mkdtemp(base.data()) == nullptr)
            return;
        directory_ = base;
        ::setenv("XDG_CONFIG_HOME", base.c_str(), 1);
        ::setenv("XDG_CONFIG_DIRS", base.c_str(), 1);
    }
    ~EmptySettingsStore()
    {
        std::error_code ignored;
        if (!directory_.empty())
            std::filesystem::remove_all(directory_, ignored);
    }
    bool ready() const { return !directory_.empty(); }

private:
    std::string directory_;
};

int fail(const std::string& message)
{
    std::fprintf(stderr, "make-factory-bank: %s\n", message.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
        return fail("usage: make-factory-bank PLUGIN OUTPUT");
    EmptySettingsStore store;
    if (!store.ready())
        return fail("cannot create a temporary settings folder");

    std::string error;
    auto plugin = kestro::render::LoadedPlugin::load(argv[1], error);
    if (!plugin)
        return fail(error);
    const auto image = kestro::render::currentBankImage(*plugin, error);
    if (!image)
        return fail(error);
    if (!kestro::platform::writeFileAtomically(argv[2], image->data(), image->size()))
        return fail(std::string("cannot write ") + argv[2]);
    return 0;
}
