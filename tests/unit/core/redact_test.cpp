// The one redactor of the log and the bundle, with the names players have:
// accented, Cyrillic, Chinese, with a blank or a dot, a profile folder whose
// name is not the user name, 8.3 forms, and a Documents folder on a server.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "config/settings.h"
#include "core/log.h"
#include "core/redact.h"
#include "game_folder.h"
#include "host.h"
#include "platform/paths.h"
#include "shell_folders.h"

namespace {

using namespace Velloquin;

struct Case {
    std::vector<std::string> profiles;
    std::vector<std::string> users;
    std::vector<std::string> documents;
    const char* text;
    const char* redacted;
};

TEST(Redact, HardNamesLeaveEveryPath) {
    const Case cases[] = {
        // Accented, Cyrillic and Chinese names, each in another letter case and slash than the profile's.
        {{"C:\\Users\\José"}, {"José"}, {}, "c:/users/JOSÉ/Documents/x.log", "%USERPROFILE%/Documents/x.log"},
        {{"C:\\Users\\Иван"}, {"Иван"}, {}, "Game folder: C:\\USERS\\иВАН\\Games\\Halvorine",
         "Game folder: %USERPROFILE%\\Games\\Halvorine"},
        {{"C:\\Users\\李雷"}, {"李雷"}, {}, "\"C:\\Users\\李雷\\Games\" and D:\\李雷\\Saves",
         "\"%USERPROFILE%\\Games\" and D:\\%USERNAME%\\Saves"},
        // The profile folder's name is not USERNAME: both are names of the user.
        {{"C:\\Users\\john.CORP"}, {"john"}, {}, "C:\\Users\\john.CORP\\a E:\\Backup\\JOHN.corp\\b F:\\john\\c",
         "%USERPROFILE%\\a E:\\Backup\\%USERNAME%\\b F:\\%USERNAME%\\c"},
        // A blank and a dot in the name.
        {{"C:\\Users\\Anna Maria"}, {"Anna Maria"}, {}, "(C:\\Users\\Anna Maria\\x) G:\\Anna Maria\\y",
         "(%USERPROFILE%\\x) G:\\%USERNAME%\\y"},
        {{"C:\\Users\\j.smith"}, {"j.smith"}, {}, "D:\\j.smith\\Games D:\\j.smithy\\Games",
         "D:\\%USERNAME%\\Games D:\\j.smithy\\Games"},
        // The 8.3 form of the profile, and its short name as a part of another path.
        {{"C:\\Users\\John Smith", "C:\\Users\\JOHNSM~1"}, {"John Smith"}, {},
         "C:\\Users\\JOHNSM~1\\Documents and D:\\johnsm~1\\x", "%USERPROFILE%\\Documents and D:\\%USERNAME%\\x"},
        // A Documents folder outside the profile (redirected to a server) names the user: it goes whole.
        {{"C:\\Users\\ann"}, {"ann"}, {"\\\\server\\home$\\ann.k\\Documents"},
         "Velloquin log: \\\\SERVER\\home$\\Ann.K\\Documents\\My Games\\Halvorine\\QVEX\\Velloquin.log",
         "Velloquin log: %DOCUMENTS%\\My Games\\Halvorine\\QVEX\\Velloquin.log"},
        // Inside the profile, Documents is the profile's rule.
        {{"C:\\Users\\ann"}, {"ann"}, {"C:\\Users\\ann\\Documents"}, "C:\\Users\\ann\\Documents\\x",
         "%USERPROFILE%\\Documents\\x"},
        // Not the user: longer names, words outside paths, a profile inside another path.
        {{"C:\\Users\\Bob"}, {"Bob"}, {}, "C:\\Users\\Bobby\\x Bob said D:\\Bobcat xC:\\Users\\Bob",
         "C:\\Users\\Bobby\\x Bob said D:\\Bobcat xC:\\Users\\%USERNAME%"},
        {{"C:\\Users\\Иван"}, {"Иван"}, {}, "D:\\Иванов\\x", "D:\\Иванов\\x"},
        // Roots and empty names are no one's.
        {{"C:\\", "/", ""}, {""}, {}, "C:\\Games /home", "C:\\Games /home"},
        // Bytes that are no UTF-8 stay as they are.
        {{"C:\\Users\\Bob"}, {"Bob"}, {}, "\xFF\xFE C:\\Users\\Bob\\\xC3", "\xFF\xFE %USERPROFILE%\\\xC3"},
        // A path ends at a quote and at the end of a CR LF line (the bundle's files keep theirs).
        {{"C:\\Users\\Bob"}, {"Bob"}, {}, "\"C:\\Users\\Bob\" \"D:\\Bob\"", "\"%USERPROFILE%\" \"D:\\%USERNAME%\""},
        {{"C:\\Users\\Bob"}, {"Bob"}, {}, "p=C:\\Users\\Bob\r\nq=D:\\Bob\r\n", "p=%USERPROFILE%\r\nq=D:\\%USERNAME%\r\n"},
        // Linux: the home folder.
        {{"/home/ann/"}, {"ann"}, {}, "/home/ann/Games and /srv/ann", "%USERPROFILE%/Games and /srv/%USERNAME%"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Redact(c.text, MakeRedaction(c.profiles, c.users, c.documents)), c.redacted) << c.text;
}

TEST(Redact, LettersOfEachScriptFoldTheirCase) {
    const struct {
        char32_t lower, upper;
    } pairs[] = {{U'a', U'A'}, {U'é', U'É'}, {U'ÿ', U'Ÿ'}, {U'ł', U'Ł'}, {U'ž', U'Ž'}, {U'ı', U'I'},
                 {U'ω', U'Ω'}, {U'ς', U'Σ'}, {U'ά', U'Ά'}, {U'я', U'Я'}, {U'ё', U'Ё'}, {U'ґ', U'Ґ'},
                 {U'ӂ', U'Ӂ'}, {U'ӎ', U'Ӎ'}};
    for (const auto& p : pairs) {
        EXPECT_EQ(FoldedCase(p.lower), FoldedCase(p.upper)) << static_cast<unsigned>(p.lower);
        EXPECT_EQ(FoldedCase(p.upper), p.upper) << static_cast<unsigned>(p.upper);
    }
    // Letters that only look alike, and scripts without case, stay apart.
    EXPECT_NE(FoldedCase(U'×'), FoldedCase(U'÷'));
    EXPECT_NE(FoldedCase(U'а'), FoldedCase(U'a'));  // Cyrillic and Latin a
    EXPECT_EQ(FoldedCase(U'李'), U'李');
}

TEST(Redact, RedactionAtGivesTheLengthOfTheTextReplaced) {
    const Redaction redaction = MakeRedaction({"C:\\Users\\Иван"}, {"Иван"}, {});
    std::string_view replacement;
    const std::string text = "x C:/users/иван/y";
    EXPECT_EQ(RedactionAt(text, 0, redaction, replacement), 0u);
    ASSERT_EQ(RedactionAt(text, 2, redaction, replacement), std::string("C:/users/иван").size());
    EXPECT_EQ(replacement, "%USERPROFILE%");
    const std::string name = "D:\\ИВАН";
    ASSERT_EQ(RedactionAt(name, 3, redaction, replacement), std::string("ИВАН").size());
    EXPECT_EQ(replacement, "%USERNAME%");
}

// The log goes through the same redactor: besides the profile folder, the
// user name as a part of any path, the name of USERNAME as well as the
// profile folder's own name.
TEST(Redact, TheLogsLinesNameNoUser) {
    StopLog();
    TestHost::ResetWorld();
    TestHost::ClearGameFolder();
#ifdef _WIN32
    _putenv_s("USERNAME", "Ann.K");
#else
    setenv("USERNAME", "Ann.K", 1);
#endif
    StartLog(ReadLogEnabled());
    ASSERT_TRUE(LogActive());
    LogLine("read %s and %s and %s", "D:\\Player\\Saves", "E:/ann.k/x", "C:\\Users\\Annette");
    StopLog();
#ifdef _WIN32
    _putenv_s("USERNAME", "");
#else
    unsetenv("USERNAME");
#endif
    const std::string log = TestHost::ReadGameFile("Users\\Player\\Documents\\My Games\\Halvorine\\QVEX\\Velloquin.log");
    EXPECT_NE(log.find("Velloquin log: %USERPROFILE%\\Documents\\My Games"), std::string::npos) << log;
    EXPECT_NE(log.find("read D:\\%USERNAME%\\Saves and E:/%USERNAME%/x and C:\\Users\\Annette"), std::string::npos) << log;
    TestHost::ClearGameFolder();
}

// USERPROFILE names the user's profile too when it is not the shell's profile folder.
TEST(Redact, TheProfileOfUserprofileIsTheUsersToo) {
    TestHost::ResetWorld();
    const char* const was = std::getenv("USERPROFILE");
    const std::string before = was ? was : "";
#ifdef _WIN32
    _putenv_s("USERPROFILE", "E:\\Roaming\\annk");
#else
    setenv("USERPROFILE", "E:\\Roaming\\annk", 1);
#endif
    const Redaction redaction = UserRedaction();
#ifdef _WIN32
    _putenv_s("USERPROFILE", before.c_str());
#else
    if (was) setenv("USERPROFILE", before.c_str(), 1);
    else unsetenv("USERPROFILE");
#endif
    EXPECT_EQ(Redact("E:\\Roaming\\annk\\Saves and F:\\annk", redaction), "%USERPROFILE%\\Saves and F:\\%USERNAME%");
}

}  // namespace
