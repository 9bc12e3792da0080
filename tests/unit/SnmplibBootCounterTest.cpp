#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "snmplib/BootCounter.h"

namespace {

// "QvSNMP_PP_Application" in hexadecimal.
const char kAppEngineHex[] = "5176534E4D505F50505F4170706C69636174696F6E";
const OctetStr appEngine("QvSNMP_PP_Application");

class SnmplibBootCounter : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/bootcounter-XXXXXX";
        ASSERT_NE(mkdtemp(&pattern[0]), nullptr);
        folder = pattern;
        file = folder + "/QvSNMP_PP_BootCounter";
    }

    void TearDown() override
    {
        const std::string command = "rm -rf '" + folder + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);
    }

    void Write(const std::string& content) const
    {
        std::ofstream out(file, std::ios::binary);
        out << content;
    }

    std::string Read() const
    {
        std::ifstream in(file, std::ios::binary);
        std::stringstream content;
        content << in.rdbuf();
        return content.str();
    }

    int Get(unsigned int& counter) const { return getBootCounter(OctetStr(file.c_str()), appEngine, counter); }
    int Save(unsigned int counter) const { return saveBootCounter(OctetStr(file.c_str()), appEngine, counter); }

    std::string folder;
    std::string file;
};

TEST_F(SnmplibBootCounter, MissingFileReadsZero)
{
    unsigned int counter = 55;
    EXPECT_EQ(Get(counter), BOOTCOUNTER_FILE_OPEN_ERROR);
    EXPECT_EQ(counter, 0u);
}

TEST_F(SnmplibBootCounter, FileWithoutTheEngineReadsZero)
{
    Write("# engine boots\n0102 7\n\n");
    unsigned int counter = 55;
    EXPECT_EQ(Get(counter), BOOTCOUNTER_NO_ENTRY);
    EXPECT_EQ(counter, 0u);
}

TEST_F(SnmplibBootCounter, ReadsTheEnginesLine)
{
    struct Case {
        std::string content;
        int result;
        unsigned int counter;
    };
    const std::string id = kAppEngineHex;
    std::string lower = id;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const Case cases[] = {
        {id + " 7\n", BOOTCOUNTER_OK, 7},
        {"# " + id + " 3\n0102 9\n" + id + " 12\n", BOOTCOUNTER_OK, 12},
        {lower + " 4\n", BOOTCOUNTER_OK, 4},
        {id + " 4294967295\r\n", BOOTCOUNTER_OK, 4294967295u},
        {id + "00 5\n", BOOTCOUNTER_NO_ENTRY, 0},
        {id + " 8\n" + id + " 9\n", BOOTCOUNTER_OK, 8},
        {id + " 4294967296\n", BOOTCOUNTER_BAD_ENTRY, 0},
        {id + " seven\n", BOOTCOUNTER_BAD_ENTRY, 0},
        {id + " 7x\n", BOOTCOUNTER_BAD_ENTRY, 0},
        {id + " -1\n", BOOTCOUNTER_BAD_ENTRY, 0},
        {id + "\n", BOOTCOUNTER_BAD_ENTRY, 0},
        {id + " \n", BOOTCOUNTER_BAD_ENTRY, 0},
        {id + " 7 " + std::string(100000, '9') + "\n", BOOTCOUNTER_BAD_ENTRY, 0},
        {id + " 7" + std::string(200, ' ') + "x\n", BOOTCOUNTER_BAD_ENTRY, 0},
        {std::string(100000, 'A') + " 3\n" + id + " 6", BOOTCOUNTER_OK, 6},
    };
    for (const Case& c : cases) {
        Write(c.content);
        unsigned int counter = 55;
        EXPECT_EQ(Get(counter), c.result) << c.content.substr(0, 80);
        EXPECT_EQ(counter, c.counter) << c.content.substr(0, 80);
    }
}

TEST_F(SnmplibBootCounter, SaveCreatesTheFileAndRoundTrips)
{
    ASSERT_EQ(Save(1), BOOTCOUNTER_OK);
    EXPECT_EQ(Read(), std::string(kAppEngineHex) + " 1\n");
    unsigned int counter = 0;
    ASSERT_EQ(Get(counter), BOOTCOUNTER_OK);
    EXPECT_EQ(counter, 1u);
    ASSERT_EQ(Save(counter + 1), BOOTCOUNTER_OK);
    ASSERT_EQ(Get(counter), BOOTCOUNTER_OK);
    EXPECT_EQ(counter, 2u);
    EXPECT_EQ(Read(), std::string(kAppEngineHex) + " 2\n");
}

TEST_F(SnmplibBootCounter, SaveKeepsOtherLines)
{
    const std::string id = kAppEngineHex;
    const std::string longOther = std::string(20000, 'B') + " 1";
    Write("# kept comment\n0102 7\n" + id + " 3\n" + longOther + "\n\n" + id + " 99\nAABB 5");
    ASSERT_EQ(Save(4), BOOTCOUNTER_OK);
    EXPECT_EQ(Read(), "# kept comment\n0102 7\n" + id + " 4\n" + longOther + "\n\nAABB 5\n");

    Write("0102 7");
    ASSERT_EQ(Save(1), BOOTCOUNTER_OK);
    EXPECT_EQ(Read(), "0102 7\n" + id + " 1\n");
    unsigned int counter = 0;
    ASSERT_EQ(getBootCounter(OctetStr(file.c_str()), OctetStr("\x01\x02"), counter), BOOTCOUNTER_OK);
    EXPECT_EQ(counter, 7u);
}

TEST_F(SnmplibBootCounter, SaveRepairsAMalformedEntry)
{
    Write(std::string(kAppEngineHex) + " garbage " + std::string(5000, 'x') + "\n0102 7\n");
    ASSERT_EQ(Save(1), BOOTCOUNTER_OK);
    EXPECT_EQ(Read(), std::string(kAppEngineHex) + " 1\n0102 7\n");
}

TEST_F(SnmplibBootCounter, SaveFailsWhereTheFileCannotBeWritten)
{
    const OctetStr missingFolder((folder + "/absent/QvSNMP_PP_BootCounter").c_str());
    EXPECT_LT(saveBootCounter(missingFolder, appEngine, 1), 0);

    Write("0102 7\n");
    const OctetStr underAFile((file + "/QvSNMP_PP_BootCounter").c_str());
    EXPECT_LT(saveBootCounter(underAFile, appEngine, 1), 0);

    const std::string folderAsFile = folder + "/sub";
    ASSERT_EQ(mkdir(folderAsFile.c_str(), 0700), 0);
    EXPECT_LT(saveBootCounter(OctetStr(folderAsFile.c_str()), appEngine, 1), 0);
    unsigned int counter = 55;
    EXPECT_EQ(getBootCounter(OctetStr(folderAsFile.c_str()), appEngine, counter), BOOTCOUNTER_FILE_OPEN_ERROR);
    EXPECT_EQ(counter, 0u);

    EXPECT_LT(saveBootCounter(OctetStr(""), appEngine, 1), 0);
    // Nothing but the two files made above is left in the folder.
    const std::string count = "test $(ls -A '" + folder + "' | wc -l) -eq 2";
    EXPECT_EQ(std::system(count.c_str()), 0);
}

}  // namespace
