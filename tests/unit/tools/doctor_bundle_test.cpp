// The pieces of velloquin-doctor --bundle: the zip container and its CRC-32,
// the DLL's SHA-256 and version, the redaction of user names; and the doctor
// naming a missing items folder. The bundle program itself, read back by
// unzip, is checked by tools/doctor/check_bundle.cmake.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>

#include "doctor/bundle.h"
#include "doctor/findings.h"
#include "doctor/library_version.h"
#include "core/redact.h"
#include "doctor/sha256.h"
#include "doctor/zip_writer.h"
#include "game_folder.h"

namespace {

using namespace Velloquin::Doctor;

std::uint32_t At32(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    std::memcpy(&value, bytes.data() + at, 4);
    return value;
}

std::uint16_t At16(const std::string& bytes, std::size_t at) {
    std::uint16_t value = 0;
    std::memcpy(&value, bytes.data() + at, 2);
    return value;
}

TEST(DoctorBundle, ChecksumsOfKnownTexts) {
    // Published check values: CRC-32's "123456789", and the SHA-256 test vectors
    // around the block boundaries (55, 56 and 64 bytes need one or two padding blocks).
    EXPECT_EQ(Crc32("123456789"), 0xCBF43926u);
    EXPECT_EQ(Crc32(""), 0u);
    const struct {
        std::string text;
        const char* digest;
    } vectors[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(55, 'a'), "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
        {std::string(64, 'a'), "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto& v : vectors) EXPECT_EQ(Sha256Hex(v.text), v.digest) << v.text.size() << " bytes";
}

TEST(DoctorBundle, ZipRecordsPointAtTheirEntries) {
    const std::vector<ZipEntry> entries = {{"bundle.txt", "about\r\n"}, {"Data/QVEX/Plugins/Velloquin.ini", "[QuickKeys]\n"}};
    std::string problem;
    const std::string zip = MakeZip(entries, {2026, 12, 8, 10, 5, 31}, problem).value();
    // The end record names the central directory, whose records name each local header.
    const std::size_t end = zip.size() - 22;
    ASSERT_EQ(At32(zip, end), 0x06054B50u);
    EXPECT_EQ(At16(zip, end + 10), 2);
    std::size_t record = At32(zip, end + 16);
    EXPECT_EQ(record + At32(zip, end + 12), end);
    for (const ZipEntry& entry : entries) {
        ASSERT_EQ(At32(zip, record), 0x02014B50u);
        EXPECT_EQ(At16(zip, record + 10), 0) << "stored";
        EXPECT_EQ(At32(zip, record + 16), Crc32(entry.data));
        EXPECT_EQ(zip.substr(record + 46, At16(zip, record + 28)), entry.name);
        const std::size_t local = At32(zip, record + 42);
        ASSERT_EQ(At32(zip, local), 0x04034B50u);
        EXPECT_EQ(At32(zip, local + 14), Crc32(entry.data));
        EXPECT_EQ(zip.substr(local + 30 + entry.name.size(), entry.data.size()), entry.data);
        // MS-DOS time: 10:05:30 (two-second steps), 2026-12-08.
        EXPECT_EQ(At16(zip, local + 10), (10 << 11) | (5 << 5) | 15);
        EXPECT_EQ(At16(zip, local + 12), ((2026 - 1980) << 9) | (12 << 5) | 8);
        record += 46 + entry.name.size();
    }
}

TEST(DoctorBundle, UserNamesLeaveThePaths) {
    const struct {
        const char* text;
        const char* profile;
        const char* user;
        const char* redacted;
    } cases[] = {
        {"Game folder: C:\\Users\\Bob\\Games\\Halvorine\n", "C:\\Users\\Bob", "Bob",
         "Game folder: %USERPROFILE%\\Games\\Halvorine\n"},
        // Windows compares paths without regard to case or the kind of slash.
        {"c:/users/BOB/Documents/My Games", "C:\\Users\\Bob\\", "Bob", "%USERPROFILE%/Documents/My Games"},
        // Outside the profile, the name as a part of a path.
        {"D:\\Bob\\Halvorine and E:\\Games\\bob", "C:\\Users\\Bob", "Bob", "D:\\%USERNAME%\\Halvorine and E:\\Games\\%USERNAME%"},
        // Not a part of its own: a longer name, or words outside paths.
        {"C:\\Users\\Bobby\\x Bob said D:\\Bobcat", "C:\\Users\\Bob", "Bob", "C:\\Users\\Bobby\\x Bob said D:\\Bobcat"},
        {"/home/ann/Games", "/home/ann", "ann", "%USERPROFILE%/Games"},
        {"nothing to hide", "", "", "nothing to hide"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Velloquin::Redact(c.text, Velloquin::MakeRedaction({c.profile}, {c.user}, {})), c.redacted) << c.text;
}

// A minimal PE32+ file: one section holding an export directory with the
// version record, laid out as a linker lays out the plug-in's DLL.
std::string MinimalLibrary(const std::string& exportName, std::uint32_t pluginVersion) {
    std::string bytes(0x400, '\0');
    const auto put32 = [&](std::size_t at, std::uint32_t value) { std::memcpy(&bytes[at], &value, 4); };
    const auto put16 = [&](std::size_t at, std::uint16_t value) { std::memcpy(&bytes[at], &value, 2); };
    bytes[0] = 'M', bytes[1] = 'Z';
    put32(0x3C, 0x40);
    std::memcpy(&bytes[0x40], "PE\0\0", 4);
    put16(0x44, 0x8664);
    put16(0x46, 1);                    // one section
    put16(0x54, 0xF0);                 // size of the optional header
    put16(0x58, 0x20B);                // PE32+
    put32(0x58 + 112, 0x1000);         // export directory
    put32(0x148 + 12, 0x1000);         // the section: address,
    put32(0x148 + 16, 0x200);          // size in the file,
    put32(0x148 + 20, 0x200);          // offset in the file
    put32(0x200 + 24, 1);              // one name
    put32(0x200 + 28, 0x1040);         // functions
    put32(0x200 + 32, 0x1050);         // names
    put32(0x200 + 36, 0x1060);         // ordinals
    put32(0x240, 0x1100);              // the record
    put32(0x250, 0x1070);              // its name
    std::memcpy(&bytes[0x270], exportName.c_str(), exportName.size() + 1);
    put32(0x300, 1);
    put32(0x304, pluginVersion);
    return bytes;
}

TEST(DoctorBundle, VersionOfThePluginsLibrary) {
    EXPECT_EQ(PluginVersionOfLibrary(MinimalLibrary("QVEXPlugin_Version", 0x020A0000)), "2.10");
    EXPECT_EQ(PluginVersionOfLibrary(MinimalLibrary("QVEXPlugin_Versions", 0x02010000)), std::nullopt);
    EXPECT_EQ(PluginVersionOfLibrary("not a library"), std::nullopt);
    // A cut file never reads past its end (the sanitizer builds catch a read
    // beyond): every prefix gives no version.
    const std::string library = MinimalLibrary("QVEXPlugin_Version", 0x02010000);
    for (std::size_t size = 0; size < 0x308; ++size)
        EXPECT_EQ(PluginVersionOfLibrary(library.substr(0, size)), std::nullopt) << size;
}

TEST(DoctorBundle, AMissingItemsFolderIsWhySavesFail) {
    for (const bool folder : {false, true}) {
        TestHost::ClearGameFolder();
        TestHost::WriteGameFile(".\\Data\\QVEX\\Plugins\\Velloquin.ini", "[QuickKeys]\r\niQuickKey12=70\r\n");
        if (folder) TestHost::WriteGameFile(".\\Data\\QVEX\\Plugins\\Velloquin\\ReadMe.txt", "a read-me\r\n");
        const Findings f = Examine(TestHost::GameFolder());
        std::ostringstream report;
        WriteText(f, report);
        EXPECT_EQ(report.str().find("every save of the extra slots fails") != std::string::npos, !folder) << report.str();
        EXPECT_EQ(f.itemsFolder, folder);
        // The read-me is no items file.
        EXPECT_TRUE(f.itemsFiles.empty());
        EXPECT_EQ(report.str().find("ReadMe"), report.str().find("ReadMe.txt in it")) << report.str();
    }
    TestHost::ClearGameFolder();
}

}  // namespace
