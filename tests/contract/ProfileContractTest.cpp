// The profile functions as the program relies on them, against every backend.
#include <gtest/gtest.h>

#include "tests/TestSupport.h"
#include "tests/contract/Backends.h"

using testing_support::ReadBytes;
using testing_support::ScratchFolder;
using testing_support::WriteBytes;

namespace {

class ProfileContract : public ::testing::TestWithParam<contract::ProfileBackend> {
protected:
    void SetUp() override { profile = GetParam().make(); }
    std::string Get(const std::string& section, const std::string& key, const std::string& def,
                    uint32_t capacity = 2048) {
        return profile->GetString(section, key, def, ini, capacity);
    }
    void SetContent(const std::string& bytes) { WriteBytes(folder.HostFile("t.ini"), bytes); }
    std::string Content() { return ReadBytes(folder.HostFile("t.ini")); }

    ScratchFolder folder{"ini"};
    std::string ini = folder.File("t.ini");
    std::unique_ptr<Profile> profile;
};

TEST_P(ProfileContract, MissingFileSectionOrKeyGivesTheDefault) {
    EXPECT_EQ(Get("Main", "k", "def"), "def");
    SetContent("[Main]\r\nother=1\r\n");
    EXPECT_EQ(Get("Main", "k", "def"), "def");
    EXPECT_EQ(Get("Else", "other", "def"), "def");
}

TEST_P(ProfileContract, DefaultLosesTrailingBlanksAndSurroundingQuotes) {
    EXPECT_EQ(Get("Main", "k", "  def  "), "  def");
    EXPECT_EQ(Get("Main", "k", "\"quoted\""), "quoted");
    EXPECT_EQ(Get("Main", "k", ""), "");
}

TEST_P(ProfileContract, SectionsAndKeysMatchWithoutRegardToCase) {
    SetContent("[Main]\r\nLanguage=deu\r\n");
    EXPECT_EQ(Get("MAIN", "language", ""), "deu");
    EXPECT_EQ(Get("main", "LANGUAGE", ""), "deu");
}

TEST_P(ProfileContract, ValuesAreTrimmedAndLoseMatchingQuotes) {
    SetContent("[Two]\r\nq=\"quoted\"\r\nr='single'\r\ns=\"half\r\n  k1  =  v1  \r\nnoeq\r\nempty=\r\n");
    EXPECT_EQ(Get("Two", "q", "d"), "quoted");
    EXPECT_EQ(Get("Two", "r", "d"), "single");
    EXPECT_EQ(Get("Two", "s", "d"), "\"half");
    EXPECT_EQ(Get("Two", "k1", "d"), "v1");
    EXPECT_EQ(Get("Two", "noeq", "d"), "d");
    EXPECT_EQ(Get("Two", "empty", "d"), "");
}

TEST_P(ProfileContract, OnlyTheFirstSectionOfADuplicatedNameCounts) {
    SetContent("[Dup]\r\nx=1\r\n[Dup]\r\nx=2\r\ny=3\r\n");
    EXPECT_EQ(Get("Dup", "x", "d"), "1");
    EXPECT_EQ(Get("Dup", "y", "d"), "d");
}

TEST_P(ProfileContract, ResultsAreCutToTheBufferLessOne) {
    SetContent("[Main]\r\nbig=" + std::string(3000, 'a') + "\r\n");
    EXPECT_EQ(Get("Main", "big", "").size(), 2047u);
    EXPECT_EQ(Get("Main", "big", "", 10), "aaaaaaaaa");
    EXPECT_EQ(Get("Main", "missing", std::string(3000, 'b')).size(), 2047u);
}

TEST_P(ProfileContract, AnsiFilesDecodeInTheAnsiCodePage) {
    SetContent("[L]\r\nk=\xE4\xF6\xFC\x80\r\n");
    EXPECT_EQ(Get("L", "k", ""), "\xC3\xA4\xC3\xB6\xC3\xBC\xE2\x82\xAC");
}

TEST_P(ProfileContract, FirstWriteCreatesTheFileAndSection) {
    EXPECT_EQ(profile->WriteString("Main", "a", "1", ini), 0);
    EXPECT_EQ(Content(), "[Main]\r\na=1\r\n");
    EXPECT_EQ(profile->WriteString("Main", "b", "2", ini), 0);
    EXPECT_EQ(profile->WriteString("Other", "c", "3", ini), 0);
    EXPECT_EQ(Content(), "[Main]\r\na=1\r\nb=2\r\n[Other]\r\nc=3\r\n");
}

TEST_P(ProfileContract, WritesReplaceValuesInPlaceKeepingTheFirstSpelling) {
    SetContent("[Main]\r\nLanguage=eng\r\nnext=1\r\n[Lang_eng]\r\nkey=\r\n");
    EXPECT_EQ(profile->WriteString("MAIN", "LANGUAGE", "deu", ini), 0);
    EXPECT_EQ(profile->WriteString("lang_ENG", "KEY", "", ini), 0);
    EXPECT_EQ(Content(), "[Main]\r\nLanguage=deu\r\nnext=1\r\n[Lang_eng]\r\nkey=\r\n");
}

TEST_P(ProfileContract, WrittenTextIsAnsi) {
    EXPECT_EQ(profile->WriteString("L", "m", "\xC3\xA9\xE2\x82\xAC", ini), 0);
    EXPECT_EQ(Content(), "[L]\r\nm=\xE9\x80\r\n");
}

TEST_P(ProfileContract, WritingIntoAMissingFolderFailsWithPathNotFound) {
    EXPECT_EQ(profile->WriteString("Main", "a", "1", folder.File("missing\\x.ini")), 3);
}

INSTANTIATE_TEST_SUITE_P(Backends, ProfileContract,
                         ::testing::ValuesIn(contract::ProfileBackends()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
