#include "editor/cpreset_system_editor.h"

#include "platform/atomic_file.h"
#include "platform/file_paths.h"
#include "platform/message_box.h"
#include "platform/open_document.h"
#include "platform/settings_store.h"
#include "presets/cpreset_system_effect.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace kestro {

namespace {

using platform::kPathSeparator;
using platform::kPathSeparators;

constexpr const char* kPresetFilter = "TAV Preset";
constexpr const char* kPresetExtension = "tvp";
constexpr const char* kBankFilter = "TAV Bank";
constexpr const char* kBankExtension = "tvb";
constexpr float kStoreThreshold = 0.75f;
// The manual's path as the installer writes it: up to 1024 characters.
constexpr std::size_t kManualPathBytes = 1024 * 4;

template <std::size_t N>
void setText(std::array<char, N>& field, const std::string& text)
{
    field.fill('\0');
    std::memcpy(field.data(), text.data(), text.size() < N - 1 ? text.size() : N - 1);
}

bool isBankKind(std::uint8_t kind)
{
    return kind == images::kKindBank || kind == images::kKindLegacyBank;
}

} // namespace

CPresetSystemEditor::CPresetSystemEditor(AudioEffect* owner)
    : AEffGUIEditor(owner), presets(dynamic_cast<CPresetSystemEffect*>(owner))
{
    setText(directory, platform::currentDirectory());
}

CPresetSystemEditor::~CPresetSystemEditor()
{
    storeFileLocations();
}

void CPresetSystemEditor::showProgramName(const char* text)
{
    showProgramNameOnly(text);
    if (presets != nullptr)
        presets->renameCurrentProgram(text);
}

void CPresetSystemEditor::startupRestore()
{
    if (presets == nullptr)
        return;
    loadDefaultBank();
    presets->selectProgram(0);
    loadDefaultPreset();
    restoreFileLocations();
}

// ---- images on the effect's table ----

bool CPresetSystemEditor::loadLegacyBank(const std::uint8_t* data, std::size_t size, bool reversed,
                                         int programCount, int valueCount)
{
    if (presets == nullptr)
        return false;
    const images::LoadResult result =
        images::loadLegacyBank(presets->programTable(), presets->templateProgram(), data, size, reversed,
                               programCount, valueCount, presets->imageReadMask());
    finishLoad(result, false);
    return result.applied;
}

bool CPresetSystemEditor::loadBankRecords(const std::uint8_t* records, std::size_t size,
                                          const images::ImageHeader& header, bool reversed)
{
    if (presets == nullptr)
        return false;
    const images::LoadResult result =
        images::loadBankRecords(presets->programTable(), presets->templateProgram(), header, records, size,
                                reversed, presets->imageReadMask(), stderr);
    finishLoad(result, false);
    return result.applied;
}

std::vector<std::uint8_t> CPresetSystemEditor::buildBankImage()
{
    std::vector<std::uint8_t> image;
    if (presets == nullptr)
        return image;
    const images::ParameterMask included = presets->imageWriteMask();
    try {
        image.resize(images::bankImageSize(included));
    } catch (const std::bad_alloc&) {
        return {};
    }
    images::writeBankImage(image.data(), image.size(), presets->programTable(), presets->getCurrentProgramIndex(),
                           presets->getUniqueId(), included, stderr);
    return image;
}

bool CPresetSystemEditor::loadLegacyPreset(const std::uint8_t* data, std::size_t size, bool reversed, int valueCount)
{
    if (presets == nullptr)
        return false;
    const images::LoadResult result =
        images::loadLegacyPreset(presets->programTable(), presets->getCurrentProgramIndex(),
                                 presets->templateProgram(), data, size, reversed, valueCount,
                                 presets->imageReadMask());
    finishLoad(result, true);
    return result.applied;
}

bool CPresetSystemEditor::loadPresetRecords(const std::uint8_t* records, std::size_t size,
                                            const images::ImageHeader& header, bool reversed)
{
    if (presets == nullptr)
        return false;
    const images::LoadResult result =
        images::loadPresetRecords(presets->programTable(), presets->getCurrentProgramIndex(),
                                  presets->templateProgram(), header, records, size, reversed,
                                  presets->imageReadMask());
    finishLoad(result, true);
    return result.applied;
}

std::vector<std::uint8_t> CPresetSystemEditor::buildPresetImage()
{
    std::vector<std::uint8_t> image;
    if (presets == nullptr)
        return image;
    const images::ParameterMask included = presets->imageWriteMask();
    try {
        image.resize(images::presetImageSize(included));
    } catch (const std::bad_alloc&) {
        return {};
    }
    const ProgramRecord& current = presets->programTable()[static_cast<std::size_t>(presets->getCurrentProgramIndex())];
    images::writePresetImage(image.data(), image.size(), current, presets->getUniqueId(), included);
    return image;
}

images::ImageLoad CPresetSystemEditor::applyImage(const std::vector<std::uint8_t>& bytes, bool invertOrder,
                                                  unsigned kinds)
{
    if (presets == nullptr)
        return {};
    const images::ImageLoad load = images::loadImage(
        presets->programTable(), presets->getCurrentProgramIndex(), presets->templateProgram(), bytes.data(),
        bytes.size(), presets->getUniqueId(), invertOrder, kinds, presets->imageReadMask(), stderr);
    if (load.recognized)
        finishLoad(load.result, !isBankKind(load.kind));
    return load;
}

void CPresetSystemEditor::finishLoad(const images::LoadResult& result, bool presetKind)
{
    if (!result.applied || presets == nullptr)
        return;
    programNamesChanged(result.renamedSlots);
    if (result.programToSelect < 0)
        return;
    if (presetKind) {
        char name[kProgramNameSize];
        copyProgramName(name, presets->programTable()[static_cast<std::size_t>(result.programToSelect)].name);
        showProgramName(name);
        presets->selectProgram(result.programToSelect);
    } else {
        selectWithName(result.programToSelect);
    }
}

void CPresetSystemEditor::selectWithName(VstInt32 slot)
{
    presets->selectProgram(slot);
    char name[kProgramNameSize];
    copyProgramName(name, presets->programTable()[static_cast<std::size_t>(slot)].name);
    showProgramNameOnly(name);
}

// ---- files ----

std::string CPresetSystemEditor::rememberPath(const std::string& path, PathText& fileName)
{
    const std::size_t split = path.find_last_of(kPathSeparators);
    if (split == std::string::npos) {
        // A bare name: open it in the remembered directory, remember nothing new.
        if (directory[0] == '\0')
            return path;
        std::string full = directory.data();
        if (full.back() != kPathSeparator)
            full += kPathSeparator;
        return full + path;
    }
    setText(directory, path.substr(0, split == 0 ? 1 : split));
    setText(fileName, path.substr(split + 1));
    return path;
}

bool CPresetSystemEditor::loadBankFromPath(const std::string& path, bool reversed)
{
    if (presets == nullptr || path.empty())
        return false;
    const auto bytes = platform::readWholeFile(rememberPath(path, bankFile), images::kLargestImageSize);
    if (!bytes)
        return false;
    const images::ImageLoad load = images::loadImage(
        presets->programTable(), presets->getCurrentProgramIndex(), presets->templateProgram(), bytes->data(),
        bytes->size(), presets->getUniqueId(), reversed, images::kBankKinds, presets->imageReadMask(), stderr);
    if (load.recognized && load.result.applied)
        programNamesChanged(load.result.renamedSlots);
    // Whatever the file held, a bank load ends on program 0.
    selectWithName(0);
    redrawFrame();
    return load.recognized && load.result.applied;
}

bool CPresetSystemEditor::saveBankToPath(const std::string& path)
{
    if (presets == nullptr || path.empty())
        return false;
    const std::string target = rememberPath(path, bankFile);
    const std::vector<std::uint8_t> image = buildBankImage();
    return !image.empty() && platform::writeFileAtomically(target, image.data(), image.size());
}

bool CPresetSystemEditor::loadPresetFromPath(const std::string& path, bool reversed)
{
    if (presets == nullptr || path.empty())
        return false;
    const auto bytes = platform::readWholeFile(rememberPath(path, presetFile), images::kLargestImageSize);
    if (!bytes)
        return false;
    const images::ImageLoad load = applyImage(*bytes, reversed, images::kPresetKinds);
    redrawFrame();
    return load.recognized && load.result.applied;
}

bool CPresetSystemEditor::savePresetToPath(const std::string& path)
{
    if (presets == nullptr || path.empty())
        return false;
    const std::string target = rememberPath(path, presetFile);
    const std::vector<std::uint8_t> image = buildPresetImage();
    return !image.empty() && platform::writeFileAtomically(target, image.data(), image.size());
}

bool CPresetSystemEditor::loadBankFile(bool reversed)
{
    return chooseFile({reversed ? "Load bank (endian-reversed)" : "Load bank", kBankFilter, kBankExtension,
                       directory.data(), bankFile.data(), false},
                      [this, reversed](const std::string& path) { loadBankFromPath(path, reversed); });
}

bool CPresetSystemEditor::saveBankFile()
{
    return chooseFile({"Save bank", kBankFilter, kBankExtension, directory.data(), bankFile.data(), true},
                      [this](const std::string& path) { saveBankToPath(path); });
}

bool CPresetSystemEditor::loadPresetFile(bool reversed)
{
    return chooseFile({reversed ? "Load preset (endian-reversed)" : "Load preset", kPresetFilter, kPresetExtension,
                       directory.data(), presetFile.data(), false},
                      [this, reversed](const std::string& path) { loadPresetFromPath(path, reversed); });
}

bool CPresetSystemEditor::savePresetFile()
{
    return chooseFile({"Save preset", kPresetFilter, kPresetExtension, directory.data(), presetFile.data(), true},
                      [this](const std::string& path) { savePresetToPath(path); });
}

// ---- stored defaults and memos ----

bool CPresetSystemEditor::storeImage(const char* valueName, const std::vector<std::uint8_t>& image)
{
    return !image.empty() && platform::writeBinarySetting(valueName, image.data(), image.size());
}

bool CPresetSystemEditor::loadStoredImage(const char* valueName)
{
    if (presets == nullptr)
        return false;
    const auto bytes = platform::readBinarySetting(valueName, images::kLargestImageSize);
    if (!bytes)
        return false;
    const images::ImageLoad load = applyImage(*bytes, false, images::kAnyKind);
    return load.recognized && load.result.applied;
}

bool CPresetSystemEditor::storeDefaultBank()
{
    return storeImage(platform::kDefaultBankValue, buildBankImage());
}

bool CPresetSystemEditor::clearDefaultBank()
{
    return platform::removeSetting(platform::kDefaultBankValue);
}

bool CPresetSystemEditor::loadDefaultBank()
{
    return loadStoredImage(platform::kDefaultBankValue);
}

bool CPresetSystemEditor::storeDefaultPreset()
{
    return storeImage(platform::kDefaultPresetValue, buildPresetImage());
}

bool CPresetSystemEditor::clearDefaultPreset()
{
    return platform::removeSetting(platform::kDefaultPresetValue);
}

bool CPresetSystemEditor::loadDefaultPreset()
{
    return loadStoredImage(platform::kDefaultPresetValue);
}

bool CPresetSystemEditor::storeMemoA()
{
    return storeImage(platform::kMemoAValue, buildPresetImage());
}

bool CPresetSystemEditor::storeMemoB()
{
    return storeImage(platform::kMemoBValue, buildPresetImage());
}

bool CPresetSystemEditor::recallMemoA()
{
    return loadStoredImage(platform::kMemoAValue);
}

bool CPresetSystemEditor::recallMemoB()
{
    return loadStoredImage(platform::kMemoBValue);
}

void CPresetSystemEditor::defaultBankButton(float value)
{
    if (value >= kStoreThreshold)
        storeDefaultBank();
    else
        clearDefaultBank();
}

void CPresetSystemEditor::defaultPresetButton(float value)
{
    if (value >= kStoreThreshold)
        storeDefaultPreset();
    else
        clearDefaultPreset();
}

bool CPresetSystemEditor::storeFileLocations()
{
    bool ok = platform::writeTextSetting(platform::kCurrentDirectoryValue, directory.data());
    ok = platform::writeTextSetting(platform::kCurrentBankValue, bankFile.data()) && ok;
    ok = platform::writeTextSetting(platform::kCurrentPresetValue, presetFile.data()) && ok;
    return ok;
}

void CPresetSystemEditor::restoreFileLocations()
{
    constexpr std::size_t kLongest = kPathTextSize - 1;
    setText(directory, platform::readTextSetting(platform::kCurrentDirectoryValue, kLongest).value_or(""));
    setText(bankFile, platform::readTextSetting(platform::kCurrentBankValue, kLongest).value_or(""));
    setText(presetFile, platform::readTextSetting(platform::kCurrentPresetValue, kLongest).value_or(""));
}

// ---- user manual ----

void CPresetSystemEditor::openUserManual()
{
    const std::string path = platform::readTextSetting(platform::kManualPathValue, kManualPathBytes).value_or("");
    switch (platform::openDocument(path)) {
    case platform::OpenDocumentResult::Opened:
        break;
    case platform::OpenDocumentResult::NoApplication:
        platform::showMessage("Make sure Acrobat Reader is installed", "Could not open manual file");
        break;
    case platform::OpenDocumentResult::Failed:
        platform::showMessage("Could not open user manual", "");
        break;
    }
    releaseManualButton();
}

} // namespace kestro
