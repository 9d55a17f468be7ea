// Shared set-up of the persistence tests: a fresh world, a fresh game folder
// as the working folder (the plug-in's paths are relative to it), and a few
// readers of what the player would see.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "datafiles.h"
#include "forms.h"
#include "host.h"
#include "core/state.h"
#include "support/plugin_state.h"
#include "support/temp_file.h"

namespace TestHost {
inline void PrintTo(const FormOrigin& origin, std::ostream* out) {
    *out << (origin.file.empty() ? std::string("(none)") : origin.file + ":" + std::to_string(origin.localId));
}
}  // namespace TestHost

namespace PersistenceTests {

namespace fs = std::filesystem;

inline Velloquin::Game::Form* AsGame(TestHost::Form* form) { return reinterpret_cast<Velloquin::Game::Form*>(form); }
inline TestHost::Form* AsHost(Velloquin::Game::Form* form) { return reinterpret_cast<TestHost::Form*>(form); }
inline const Velloquin::Game::DataFile* AsGame(const TestHost::DataFile* file) {
    return reinterpret_cast<const Velloquin::Game::DataFile*>(file);
}

// The box text of a non-fatal report, written out here rather than built by
// the plug-in's own routine, so that a change of layout is seen.
inline std::string NonFatalBox(const std::string& function, int line, const std::string& text) {
    return "An error has occured in function " + function + " at line " + std::to_string(line) +
           "\n\n\nError text: \n -> " + text + "\n\n\nWould you like to exit?";
}

inline std::vector<std::string> BoxTexts() {
    std::vector<std::string> texts;
    for (const auto& box : TestHost::Boxes()) texts.push_back(box.text);
    return texts;
}

// The plug-in's folder as the plug-in names it, and as this process reaches it.
inline const std::string pluginFolderText = ".\\Data\\QVEX\\Plugins\\Velloquin\\";
inline const fs::path pluginFolderPath = fs::path("Data") / "QVEX" / "Plugins" / "Velloquin";

inline std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The standard content of these tests: the master, a full, a small and a
// medium file, with items of every accepted type.
inline const std::vector<TestHost::LoadOrderFile> standardOrder = {
    {"Halvorine.esm", TestHost::FileKind::Full},
    {"Armory.esp", TestHost::FileKind::Full},
    {"Tiny.esl", TestHost::FileKind::Small},
    {"Middle.esm", TestHost::FileKind::Medium},
};
inline const std::vector<TestHost::ContentForm> standardForms = {
    {"Halvorine.esm", 0x01A2B3, TestHost::typeWeapon, {"Armory.esp", "Tiny.esl", "Middle.esm"}, "Rifle"},
    {"Halvorine.esm", 0x001A2B, TestHost::typeEquipment, {}, "Helmet"},
    {"Armory.esp", 0x000800, TestHost::typeWeapon, {"Tiny.esl"}, "Blade"},
    {"Armory.esp", 0x000000, TestHost::typeConsumable, {}, "Zero"},
    {"Tiny.esl", 0xABC, TestHost::typePower, {}, "Shout"},
    {"Tiny.esl", 0x801, TestHost::typeConsumable, {"Armory.esp"}, "Tonic"},
    {"Middle.esm", 0x0ABC, TestHost::typeConsumable, {"Halvorine.esm"}, "Stew"},
    {"Middle.esm", 0xFFFF, TestHost::typeEquipment, {}, "Boots"},
    {"Halvorine.esm", 0x000100, TestHost::typeKeyword, {}, "A keyword"},
};

class PersistenceTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestHost::ResetWorld();
        ResetPluginState();
        root_ = fs::path(TempPath("game"));
        fs::create_directories(root_ / pluginFolderPath);
        previous_ = fs::current_path();
        fs::current_path(root_);
    }

    void TearDown() override {
        fs::current_path(previous_);
        std::error_code error;
        // Read-only files block removal on Windows.
        for (auto it = fs::recursive_directory_iterator(root_, error); !error && it != fs::recursive_directory_iterator();
             it.increment(error))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
        fs::remove_all(root_, error);
        Velloquin::quickItems.fill(nullptr);
    }

    static fs::path ItemsFile(const std::string& name = "VelloquinItems_2A.txt") { return pluginFolderPath / name; }

    static Velloquin::Game::Form* Item(const std::string& file, std::uint32_t localId) {
        return AsGame(TestHost::LoadedForm(file, localId));
    }

    // The slots as (data file, local id) of the forms they hold; empty file = empty slot.
    static std::vector<TestHost::FormOrigin> SlotOrigins() {
        std::vector<TestHost::FormOrigin> origins;
        for (auto* form : Velloquin::quickItems)
            origins.push_back(form ? TestHost::OriginOf(AsHost(form)) : TestHost::FormOrigin{});
        return origins;
    }

    fs::path root_;
    fs::path previous_;
};

}  // namespace PersistenceTests
