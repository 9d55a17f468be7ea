// Texts of forms and ids, byte for byte.
#include <gtest/gtest.h>

#include <cstdio>

#include "forms.h"
#include "host.h"
#include "items/form_text.h"

namespace {

using namespace Velloquin;

const Game::Form* AsGame(const TestHost::Form* form) { return reinterpret_cast<const Game::Form*>(form); }

std::string AddressOf(const void* pointer) {
    char text[32];
    std::snprintf(text, sizeof text, "%llX", static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(pointer)));
    return text;
}

class FormTextTest : public ::testing::Test {
protected:
    void SetUp() override { TestHost::ResetWorld(); }
};

TEST(HexTextTest, IdsAndAddresses) {
    struct Case {
        std::uint32_t value;
        const char* text;
    };
    for (const Case& c : {Case{0, ""}, Case{0x2E3, "000002E3"}, Case{0xABC, "00000ABC"}, Case{0xFFFFFFFF, "FFFFFFFF"},
                          Case{0x10000000, "10000000"}, Case{0xdeadbeef, "DEADBEEF"}}) {
        EXPECT_EQ(GetHexID(c.value), c.text) << c.value;
    }
    EXPECT_EQ(GetAddressText(0), "");
    EXPECT_EQ(GetAddressText(0xF), "F");
    EXPECT_EQ(GetAddressText(0x7ff712340a0bULL), "7FF712340A0B");
    EXPECT_EQ(GetAddressText(0xFFFFFFFFFFFFFFFFULL), "FFFFFFFFFFFFFFFF");
}

TEST_F(FormTextTest, FormHexIdPadsEvenZero) {
    EXPECT_EQ(GetFormHexID(nullptr), "");
    EXPECT_EQ(GetFormHexID(AsGame(TestHost::MakeForm(0, TestHost::typeWeapon))), "00000000");
    EXPECT_EQ(GetFormHexID(AsGame(TestHost::MakeForm(0x1A2B, TestHost::typeWeapon))), "00001A2B");
    EXPECT_EQ(GetFormID(nullptr), 0u);
    EXPECT_EQ(GetFormID(AsGame(TestHost::MakeForm(0x1A2B, TestHost::typeWeapon))), 0x1A2Bu);
}

TEST_F(FormTextTest, HostTextsAreCopiedOrEmpty) {
    TestHost::Form* named = TestHost::MakeForm(0x10, TestHost::typeWeapon, "Plasma Rifle", "WeapPlasmaRifle");
    TestHost::Form* silent = TestHost::MakeForm(0x11, TestHost::typeWeapon);
    silent->nullName = true;
    EXPECT_EQ(GetFormName(AsGame(named)), "Plasma Rifle");
    EXPECT_EQ(GetFormEditorID(AsGame(named)), "WeapPlasmaRifle");
    EXPECT_EQ(GetFormName(AsGame(silent)), "");
    EXPECT_EQ(GetFormEditorID(AsGame(silent)), "");
    EXPECT_EQ(GetFormName(nullptr), "");
    EXPECT_EQ(GetFormEditorID(nullptr), "");
}

TEST_F(FormTextTest, DescribeFormLayout) {
    TestHost::Form* rifle = TestHost::MakeForm(0x2E3, TestHost::typeWeapon, "Plasma Rifle", "WeapPlasmaRifle");
    rifle->fileListIndex = 0;
    EXPECT_EQ(DescribeForm(AsGame(rifle)),
              "[000002E3 | " + AddressOf(rifle) + " | 48 | 0|0x0 | Plasma Rifle | WeapPlasmaRifle]");

    TestHost::Form* bare = TestHost::MakeForm(0, 54);
    bare->nullName = true;
    bare->fileListIndex = 255;
    EXPECT_EQ(DescribeForm(AsGame(bare)), "[ | " + AddressOf(bare) + " | 54 | 255|0xFF | {unnamed} | {no_edid}]");

    TestHost::Form* unset = TestHost::MakeForm(0xABCDEF01, 4, "", "KeywordX");  // empty name reads as none
    EXPECT_EQ(DescribeForm(AsGame(unset)),
              "[ABCDEF01 | " + AddressOf(unset) + " | 4 | 65535|0xFFFF | {unnamed} | KeywordX]");
}

TEST_F(FormTextTest, DescribeNoForm) { EXPECT_EQ(DescribeForm(nullptr), "!!! ERROR: nullptr form !!!"); }

}  // namespace
