// The user's folders as the plug-in finds them through the shell, and the
// host's shell that answers only the two folder ids the plug-in asks for.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "core/log.h"
#include "game_folder.h"
#include "host.h"
#include "platform/shell_folders.h"
#include "shell_folders.h"

namespace {

using namespace Velloquin;

// Whether text is well-formed UTF-8 (shortest forms, no surrogates, at most U+10FFFF).
bool ValidUtf8(const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (length == 0 || i + length > text.size()) return false;
        std::uint32_t value = length == 1 ? c : c & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            value = (value << 6) | (next & 0x3F);
        }
        const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (value < least[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
        i += length;
    }
    return true;
}

class ShellFolders : public ::testing::Test {
protected:
    void SetUp() override {
        StopLog();
        TestHost::ResetWorld();
        TestHost::ClearGameFolder();
    }
    void TearDown() override {
        StopLog();
        TestHost::ResetShellFolders();
    }
};

// Profiles with names players have, U+FFFF (the last character of the 16-bit
// plane, three bytes in UTF-8) among them: the plug-in gets each folder as
// valid UTF-8, and its log is made there.
TEST_F(ShellFolders, AnyProfileNameComesThroughAsUtf8AndTheLogIsMadeThere) {
    const char* profiles[] = {
        "Users\\Player", "Users\\Иван", "Users\\李雷", "Users\\José María", "Users\\john.CORP",
        "Users\\Spiel\xEF\xBF\xBF",      // U+FFFF
        "Users\\\xF0\x9F\x8E\xAE Gamer",  // U+1F3AE, a surrogate pair in UTF-16
    };
    for (const char* profile : profiles) {
        SCOPED_TRACE(profile);
        StopLog();
        TestHost::ClearGameFolder();
        TestHost::SetProfileFolder(profile);
        const std::string documents = std::string(profile) + "\\Documents";
        const std::string found = FindShellFolder(ShellFolder::Profile);
        EXPECT_TRUE(ValidUtf8(found));
        EXPECT_EQ(found, TestHost::GameFilePath(profile));
        EXPECT_EQ(FindShellFolder(ShellFolder::Documents), TestHost::GameFilePath(documents));
        StartLog(true);
        ASSERT_TRUE(LogActive());
        EXPECT_TRUE(TestHost::GameFileExists(documents + "\\My Games\\Halvorine\\QVEX\\Velloquin.log"));
        EXPECT_EQ(LogFileShown(), "%USERPROFILE%\\Documents\\My Games\\Halvorine\\QVEX\\Velloquin.log");
    }
    // A shell answer that ends in separators comes without them.
    TestHost::SetProfileFolder("Users\\Trailing\\\\");
    EXPECT_EQ(FindShellFolder(ShellFolder::Profile), TestHost::GameFilePath("Users\\Trailing"));
}

// The host's shell is as strict as Windows: an id that differs in any byte
// names no folder the plug-in may use, so a wrong id in the plug-in fails here.
TEST_F(ShellFolders, TheHostsShellAnswersOnlyTheTwoIdsWhole) {
    using KnownFolderPath = std::int32_t (*)(const void* id, unsigned flags, void* token, std::uint16_t** path);
    using TaskMemFree = void (*)(void* memory);
    bool handled = false;
    void* shell = TestHost::Seam::LoadShellLibrary("shell32.dll", handled);
    ASSERT_TRUE(handled);
    void* ole = TestHost::Seam::LoadShellLibrary("ole32.dll", handled);
    const auto knownFolderPath =
        reinterpret_cast<KnownFolderPath>(TestHost::Seam::ShellProcAddress(shell, "SHGetKnownFolderPath", handled));
    const auto taskMemFree = reinterpret_cast<TaskMemFree>(TestHost::Seam::ShellProcAddress(ole, "CoTaskMemFree", handled));
    ASSERT_NE(knownFolderPath, nullptr);
    ASSERT_NE(taskMemFree, nullptr);
    const unsigned char documents[16] = {0xD0, 0x9A, 0xD3, 0xFD, 0x8F, 0x23, 0xAF, 0x46,
                                         0xAD, 0xB4, 0x6C, 0x85, 0x48, 0x03, 0x69, 0xC7};
    const unsigned char profile[16] = {0x8F, 0x85, 0x6C, 0x5E, 0x22, 0x0E, 0x60, 0x47,
                                       0x9A, 0xFE, 0xEA, 0x33, 0x17, 0xB6, 0x71, 0x73};
    for (const unsigned char* id : {documents, profile}) {
        std::uint16_t* path = nullptr;
        ASSERT_EQ(knownFolderPath(id, 0, nullptr, &path), 0);
        ASSERT_NE(path, nullptr);
        taskMemFree(path);
        for (std::size_t at = 0; at < 16; ++at) {
            unsigned char wrong[16];
            std::memcpy(wrong, id, sizeof wrong);
            wrong[at] ^= 0x01;
            path = nullptr;
            EXPECT_EQ(knownFolderPath(wrong, 0, nullptr, &path), static_cast<std::int32_t>(0x80070002)) << "byte " << at;
            EXPECT_EQ(path, nullptr);
        }
    }
}

}  // namespace
