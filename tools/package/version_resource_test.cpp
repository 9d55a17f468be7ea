// The version resource of the built Velloquin.dll, read back through the
// Windows version API as Explorer's file properties read it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Under Wine the build's POSIX path is reached through drive Z:.
std::string DllPath() {
    std::string path = VELLOQUIN_DLL_PATH;
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    return path;
}

class VersionResource : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string path = DllPath();
        DWORD handle = 0;
        const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
        ASSERT_GT(size, 0u) << path << " has no version resource (error " << GetLastError() << ")";
        data_.resize(size);
        ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, data_.data()));
    }

    std::string Text(const char* name) {
        void* value = nullptr;
        UINT length = 0;
        const std::string query = std::string("\\StringFileInfo\\040904B0\\") + name;
        if (!VerQueryValueA(data_.data(), query.c_str(), &value, &length) || !value) return "<missing>";
        return std::string(static_cast<const char*>(value));
    }

    std::vector<char> data_;
};

TEST_F(VersionResource, FixedPartStatesTheProjectVersion) {
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(data_.data(), "\\", reinterpret_cast<void**>(&info), &length));
    ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(info->dwSignature, 0xFEEF04BDu);
    const std::string fileVersion = std::to_string(HIWORD(info->dwFileVersionMS)) + "." +
                                    std::to_string(LOWORD(info->dwFileVersionMS)) + "." +
                                    std::to_string(HIWORD(info->dwFileVersionLS)) + "." +
                                    std::to_string(LOWORD(info->dwFileVersionLS));
    EXPECT_EQ(fileVersion, std::string(VELLOQUIN_PROJECT_VERSION) + ".0");
    EXPECT_EQ(info->dwProductVersionMS, info->dwFileVersionMS);
    EXPECT_EQ(info->dwFileType, static_cast<DWORD>(VFT_DLL));
}

TEST_F(VersionResource, TextsAsExplorerShowsThem) {
    const std::string project = VELLOQUIN_PROJECT_VERSION;
    EXPECT_EQ(Text("FileVersion"), project + ".0");
    // The product version is major.minor: "2.1" for 2.1.0.
    EXPECT_EQ(Text("ProductVersion"), project.substr(0, project.rfind('.')));
    EXPECT_EQ(Text("ProductName"), "Velloquin");
    EXPECT_EQ(Text("OriginalFilename"), "Velloquin.dll");
    EXPECT_EQ(Text("InternalName"), "Velloquin");
    EXPECT_EQ(Text("FileDescription"), "Velloquin - twelve extra quick-key slots for the favourites menu");
}

TEST_F(VersionResource, DeclaresTheLanguageOfItsTexts) {
    struct Translation {
        WORD language;
        WORD codePage;
    }* translation = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(data_.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length));
    ASSERT_GE(length, sizeof(Translation));
    EXPECT_EQ(translation->language, 0x409);
    EXPECT_EQ(translation->codePage, 1200);
}

}  // namespace
