// The Cabrillo export without Windows: the header's round trip through the
// settings file, the QSO line format and the file, byte for byte.
#include "cabrillo/cabrillo_log.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/fake_platform.h"
#include "support/qso_builder.h"
#include "support/scratch_dir.h"

namespace {

TEST(ReplaceAll, ReplacesLeftToRightWithoutRescanning)
{
    struct Case {
        std::string text, search, replacement, expected;
    };
    const Case cases[] = {
        {"a<CR>b<CR>", "<CR>", "\r", "a\rb\r"},
        {"x<LF>y<LF>", "<LF>", "", "xy"},
        {"aaa", "aa", "b", "ba"},
        {"aa", "a", "aa", "aaaa"},
        {"<CR>", "<CR>", "<CR><CR>", "<CR><CR>"},
        {"abab", "ab", "ab", "abab"},
        {"no marker", "<CR>", "\r", "no marker"},
        {"", "<CR>", "\r", ""},
        // An empty search has no occurrence to replace (and must not loop).
        {"abc", "", "x", "abc"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReplaceAll(c.text, c.search, c.replacement), c.expected) << c.text << " / " << c.search;
}

TEST(CabrilloBaseName, IsTheCallsignMadeSafeForAFileName)
{
    const std::pair<std::string, std::string> cases[] = {
        {"DL1ABC", "DL1ABC"},
        {"", "XOLT"},
        {"   ", "XOLT"},
        {" \t\r\n", "XOLT"},
        {"DL1ABC/P", "DL1ABC_P"},
        {"PA/DL1ABC/MM", "PA_DL1ABC_MM"},
        {"PA\\DL1ABC", "PA_DL1ABC"},
        {"/", "_"},
        {"  OK1ABC  ", "OK1ABC"},
        {"A<B>C:D\"E|F?G*H", "A_B_C_D_E_F_G_H"},
        {"K1\x01X", "K1_X"},
        {"CON", "CON_"},
        {"lpt1", "lpt1_"},
        {"COM10", "COM10"},
        {"CONX", "CONX"},
        // A device name stays one before an extension, blanks or dots.
        {"COM1.log", "COM1_.log"},
        {"nul.txt", "nul_.txt"},
        {"AUX .x", "AUX_ .x"},
        {"con.", "con_."},
        {"Prn..", "Prn_.."},
        {"LPT9.a.b", "LPT9_.a.b"},
        {"COM0", "COM0_"},
        {"LPT0.x", "LPT0_.x"},
        {"COM\xB9", "COM\xB9_"},
        {"lpt\xB2.log", "lpt\xB2_.log"},
        {"COM\xB3 .x", "COM\xB3_ .x"},
        {"COM1X.log", "COM1X.log"},
        {"CONSOLE.log", "CONSOLE.log"},
        {"X.COM1", "X.COM1"},
        {"COM.1", "COM.1"},
    };
    for (const auto& [callsign, baseName] : cases)
        EXPECT_EQ(cabrilloBaseName(callsign), baseName) << callsign;
}

TEST(HostVersionText, TwoPartsForVersionTwoThreeForAnyOther)
{
    EXPECT_EQ(hostVersionText(0x00020013, 0x00000000), "2.19");
    EXPECT_EQ(hostVersionText(0x00020013, 0x00050007), "2.19");
    EXPECT_EQ(hostVersionText(0x00030001, 0x00020000), "3.1.2");
    EXPECT_EQ(hostVersionText(0x00010000, 0x00000004), "1.0.0");
    EXPECT_EQ(hostVersionText(0xFFFFFFFF, 0xFFFFFFFF), "65535.65535.65535");
}

class CabrilloExport : public ::testing::Test {
protected:
    // Runs the header step with the dialog answered by `edit`: OK when it
    // returns true.
    bool editHeader(const std::string& callsign, std::function<bool(CabrilloHeader&)> edit)
    {
        platform.answerHeaderDialog = std::move(edit);
        std::unique_lock<std::mutex> entry(contest);
        return cabrillo.EditHeader(callsign, platform, entry);
    }

    void confirmHeader(const std::string& callsign, std::function<void(CabrilloHeader&)> edit = {})
    {
        ASSERT_TRUE(editHeader(callsign, [&](CabrilloHeader& header) {
            if (edit)
                edit(header);
            return true;
        }));
    }

    std::string settingsFile() const { return fileBytes(kSettingsPath); }

    ScratchDir dir;
    std::mutex contest;
    FakePlatform platform;
    CCabrilloLog cabrillo;
};

// Every field the operator can change, as typed into the dialog.
void fillEverything(CabrilloHeader& header)
{
    header.callsign = "DL1ABC/P";
    header.operators = "DL1ABC DL2XYZ";
    header.categoryBand = "40M";
    header.categoryOperator = "MULTI-OP";
    header.name = "Ivan Petrov";
    header.address = "Main Street 1";
    header.addressCity = "Berlin";
    header.addressPostalCode = "10115";
    header.addressCountry = "Germany";
    header.categoryPower = "LOW";
    header.contest = "OTHER";
    header.email = "dl1abc@example.org";
    header.club = "Radio Club";
    header.categoryMode = "MIXED";
    header.soapbox = "first line\r\nsecond line";
    // Shown only: these must not come back.
    header.claimed = "999";
    header.location = "JO62";
}

TEST_F(CabrilloExport, FirstRunShowsTheCallsignAndTheFixedCategories)
{
    EXPECT_FALSE(editHeader("DL1ABC", [](CabrilloHeader&) { return false; }));

    const CabrilloHeader& shown = platform.shownHeader;
    EXPECT_EQ(shown.callsign, "DL1ABC");
    EXPECT_EQ(shown.operators, "DL1ABC");
    EXPECT_EQ(shown.contest, "ZEMRIX");
    EXPECT_EQ(shown.categoryOperator, "SINGLE-OP");
    EXPECT_EQ(shown.categoryMode, "CW");
    EXPECT_EQ(shown.categoryBand, "ALL");
    EXPECT_EQ(shown.categoryPower, "HIGH");
    for (const std::string* empty : {&shown.name, &shown.address, &shown.addressCity, &shown.addressPostalCode,
                                     &shown.addressCountry, &shown.claimed, &shown.location, &shown.email,
                                     &shown.club, &shown.soapbox})
        EXPECT_EQ(*empty, "");
    EXPECT_EQ(platform.refreshStops, 1);
    EXPECT_FALSE(std::filesystem::exists(kSettingsPath));
}

TEST_F(CabrilloExport, StoredValuesAreShownAndCancelLeavesTheFileAlone)
{
    const std::string stored =
        "[Settings]\r\nOperators=DL1ABC DL2XYZ\r\nName=Ivan\r\nAddress=Main Street 1\r\nAddress-City=Berlin\r\n"
        "Address-PostalCode=10115\r\nAddress-Country=Germany\r\nClaimed=39\r\nLoc=JO62\r\nEmail=a@b.c\r\n"
        "Club=RC\r\nSoapBox=one<CR><LF>two\r\nBand=40M\r\nPower=qrp\r\nCategory=CHECKLOG\r\nContest=X\r\n"
        "Mode=SSB\r\n";
    writeFileBytes(kSettingsPath, stored);
    cabrillo.AddQsoLine("K1ABC", 3512, "CW", utc(2015, 6, 14, 13, 5), "599", "001", "579", "12");

    EXPECT_FALSE(editHeader("OK1ABC", [](CabrilloHeader& header) {
        fillEverything(header);
        return false;
    }));

    const CabrilloHeader& shown = platform.shownHeader;
    EXPECT_EQ(shown.callsign, "OK1ABC");
    EXPECT_EQ(shown.operators, "DL1ABC DL2XYZ");
    EXPECT_EQ(shown.name, "Ivan");
    EXPECT_EQ(shown.addressPostalCode, "10115");
    EXPECT_EQ(shown.claimed, "39");
    EXPECT_EQ(shown.location, "JO62");
    EXPECT_EQ(shown.soapbox, "one\r\ntwo");
    EXPECT_EQ(shown.categoryBand, "40M");
    EXPECT_EQ(shown.categoryPower, "qrp");
    // Never read back: the same every run.
    EXPECT_EQ(shown.categoryOperator, "SINGLE-OP");
    EXPECT_EQ(shown.contest, "ZEMRIX");
    EXPECT_EQ(shown.categoryMode, "CW");

    EXPECT_EQ(settingsFile(), stored);
    EXPECT_EQ(cabrillo.header().name, "Ivan");
    EXPECT_EQ(cabrillo.header().soapbox, "one\r\ntwo");
    EXPECT_EQ(cabrillo.qsoLines().size(), 1u);
}

TEST_F(CabrilloExport, OkStoresTheKeysInTheirOrderAndReadiesTheHeader)
{
    writeFileBytes(kSettingsPath, "[Settings]\r\nClaimed=39\r\nLoc=JO62\r\n");
    cabrillo.AddQsoLine("K1ABC", 3512, "CW", utc(2015, 6, 14, 13, 5), "599", "001", "579", "12");

    confirmHeader("DL1ABC", fillEverything);

    EXPECT_EQ(settingsFile(),
              "[Settings]\r\nClaimed=39\r\nLoc=JO62\r\nBand=40M\r\nPower=LOW\r\nOperators=DL1ABC DL2XYZ\r\n"
              "Name=Ivan Petrov\r\nAddress=Main Street 1\r\nAddress-City=Berlin\r\nAddress-PostalCode=10115\r\n"
              "Address-Country=Germany\r\nCategory=MULTI-OP\r\nContest=OTHER\r\nEmail=dl1abc@example.org\r\n"
              "Club=Radio Club\r\nSoapBox=first line<CR><LF>second line\r\nMode=MIXED\r\n");
    const CabrilloHeader& header = cabrillo.header();
    EXPECT_EQ(header.callsign, "DL1ABC/P");
    EXPECT_EQ(header.claimed, "39");
    EXPECT_EQ(header.location, "JO62");
    EXPECT_EQ(header.soapbox, "first line\r\nSOAPBOX: second line");
    // The file keeps the name of the callsign the host passed.
    EXPECT_EQ(cabrillo.fileBaseName(), "DL1ABC");
    EXPECT_TRUE(cabrillo.qsoLines().empty());
}

TEST_F(CabrilloExport, FirstOkWritesEveryKeyOnce)
{
    confirmHeader("DL1ABC");
    EXPECT_EQ(settingsFile(),
              "[Settings]\r\nBand=ALL\r\nPower=HIGH\r\nOperators=DL1ABC\r\nName=\r\nAddress=\r\nAddress-City=\r\n"
              "Address-PostalCode=\r\nAddress-Country=\r\nCategory=SINGLE-OP\r\nContest=ZEMRIX\r\nEmail=\r\n"
              "Club=\r\nSoapBox=\r\nLoc=\r\nMode=CW\r\n");
}

TEST_F(CabrilloExport, SoapboxTravelsBetweenEditStoredAndFileForms)
{
    struct Case {
        std::string typed, stored, inFile, shownNextTime;
    };
    const Case cases[] = {
        {"", "", "", ""},
        {"one line", "one line", "one line", "one line"},
        {"a\r\nb", "a<CR><LF>b", "a\r\nSOAPBOX: b", "a\r\nb"},
        {"ends with a break\r\n", "ends with a break<CR><LF>", "ends with a break\r\nSOAPBOX: ",
         "ends with a break\r\n"},
        // Typed markers cannot be told from line breaks.
        {"x<CR>y<LF>z", "x<CR>y<LF>z", "x\r\nSOAPBOX: yz", "x\ry\nz"},
    };
    for (const Case& c : cases) {
        confirmHeader("DL1ABC", [&](CabrilloHeader& header) { header.soapbox = c.typed; });
        EXPECT_EQ(platform.settings().read("SoapBox"), c.stored) << c.typed;
        EXPECT_EQ(cabrillo.header().soapbox, c.inFile) << c.typed;
        EXPECT_FALSE(editHeader("DL1ABC", [](CabrilloHeader&) { return false; }));
        EXPECT_EQ(platform.shownHeader.soapbox, c.shownNextTime) << c.typed;
    }
}

TEST_F(CabrilloExport, EmptyLogFileIsTheHeaderAndTheEndMarker)
{
    confirmHeader("DL1ABC", fillEverything);
    EXPECT_EQ(cabrillo.FileText(-39, "2.19"),
              "START-OF-LOG: 3.0\r\n"
              "CONTEST: ZEMRIX\r\n"
              "CALLSIGN: DL1ABC/P\r\n"
              "CATEGORY-OPERATOR: MULTI-OP\r\n"
              "CATEGORY-BAND: 40M\r\n"
              "CATEGORY-POWER: LOW\r\n"
              "CATEGORY-MODE: MIXED\r\n"
              "CLAIMED-SCORE: -39\r\n"
              "CLUB: Radio Club\r\n"
              "OPERATORS: DL1ABC DL2XYZ\r\n"
              "CREATED-BY: Vexo 2.19\r\n"
              "NAME: Ivan Petrov\r\n"
              "ADDRESS: Main Street 1\r\n"
              "ADDRESS-CITY: Berlin\r\n"
              "ADDRESS-POSTALCODE: 10115\r\n"
              "ADDRESS-COUNTRY: Germany\r\n"
              "E-MAIL: dl1abc@example.org\r\n"
              "SOAPBOX: first line\r\n"
              "SOAPBOX: second line\r\n"
              "END-OF-LOG:\r\n");
}

TEST_F(CabrilloExport, EmptyValuesLeaveTheirTagsAlone)
{
    confirmHeader("", [](CabrilloHeader& header) { header.operators.clear(); });
    cabrillo.AddQsoLine("K1ABC", 3512, "CW", utc(2015, 6, 14, 13, 5), "599", "001", "579", "12");
    EXPECT_EQ(cabrillo.FileText(0, ""),
              "START-OF-LOG: 3.0\r\nCONTEST: ZEMRIX\r\nCALLSIGN: \r\nCATEGORY-OPERATOR: SINGLE-OP\r\n"
              "CATEGORY-BAND: ALL\r\nCATEGORY-POWER: HIGH\r\nCATEGORY-MODE: CW\r\nCLAIMED-SCORE: 0\r\nCLUB: \r\n"
              "OPERATORS: \r\nCREATED-BY: Vexo \r\nNAME: \r\nADDRESS: \r\nADDRESS-CITY: \r\n"
              "ADDRESS-POSTALCODE: \r\nADDRESS-COUNTRY: \r\nE-MAIL: \r\nSOAPBOX: \r\n"
              "QSO:  3512 CW 2015-06-14 1305               599 001    K1ABC         579 12\r\n"
              "END-OF-LOG:\r\n");
}

TEST_F(CabrilloExport, QsoLinesKeepTheirColumnsUnlessAFieldIsTooLong)
{
    struct Case {
        std::string worked;
        int32_t frequencyKhz;
        std::string mode;
        OleDateTime time;
        std::string rstSent, exchangeSent, rstReceived, exchangeReceived, line;
    };
    const OleDateTime time = utc(2015, 6, 14, 13, 5);
    const Case cases[] = {
        {"K1ABC", 3512, "CW", time, "599", "001", "579", "12",
         "QSO:  3512 CW 2015-06-14 1305 DL1ABC        599 001    K1ABC         579 12\r\n"},
        {"K1ABC", 14012, "PH", time, "59", "1", "57", "123456789",
         "QSO: 14012 PH 2015-06-14 1305 DL1ABC        59  1      K1ABC         57  123456789\r\n"},
        {"K1ABC", 144300, "??", time, "599", "001", "579", "",
         "QSO: 144300 ?? 2015-06-14 1305 DL1ABC        599 001    K1ABC         579 \r\n"},
        {"VERYLONGCALLSIGN1", -1, "CW", time, "5999", "0001234", "", "",
         "QSO:    -1 CW 2015-06-14 1305 DL1ABC        5999 0001234 VERYLONGCALLSIGN1     \r\n"},
        {"K1ABC", 7012, "CW", OleDateTime::null(), "599", "001", "579", "12",
         "QSO:  7012 CW  DL1ABC        599 001    K1ABC         579 12\r\n"},
        {"K1ABC", 7012, "CW", {0.0, OleDateTime::Invalid}, "599", "001", "579", "12",
         "QSO:  7012 CW Invalid DateTime DL1ABC        599 001    K1ABC         579 12\r\n"},
    };
    confirmHeader("DL1ABC");
    std::string allLines;
    for (const Case& c : cases) {
        cabrillo.AddQsoLine(c.worked, c.frequencyKhz, c.mode, c.time, c.rstSent, c.exchangeSent, c.rstReceived,
                            c.exchangeReceived);
        EXPECT_EQ(cabrillo.qsoLines().back(), c.line);
        allLines += c.line;
    }
    const std::string file = cabrillo.FileText(0, "");
    EXPECT_EQ(file.substr(file.size() - allLines.size() - 13), allLines + "END-OF-LOG:\r\n");
}

TEST_F(CabrilloExport, WriteLogReplacesTheFileAndNamesIt)
{
    confirmHeader("DL1ABC/P");
    writeFileBytes("DL1ABC_P.cbr", std::string(5000, 'x'));
    cabrillo.AddQsoLine("K1ABC", 3512, "CW", utc(2015, 6, 14, 13, 5), "599", "001", "579", "12");

    EXPECT_EQ(cabrillo.WriteLog(portableFileSystem(), 39, "3.1.2"), "File produced: DL1ABC_P.cbr");
    EXPECT_EQ(fileBytes("DL1ABC_P.cbr"), cabrillo.FileText(39, "3.1.2"));

    confirmHeader("  ");
    EXPECT_EQ(cabrillo.WriteLog(portableFileSystem(), 0, ""), "File produced: XOLT.cbr");
    EXPECT_EQ(fileBytes("XOLT.cbr"), cabrillo.FileText(0, ""));

    confirmHeader("COM1.log");
    EXPECT_EQ(cabrillo.WriteLog(portableFileSystem(), 0, ""), "File produced: COM1_.log.cbr");
    EXPECT_EQ(fileBytes("COM1_.log.cbr"), cabrillo.FileText(0, ""));
}

TEST_F(CabrilloExport, WriteLogSaysSoWhenTheFileCannotBeCreated)
{
    confirmHeader("DL1ABC");
    std::filesystem::create_directory("DL1ABC.cbr");
    const std::string message = cabrillo.WriteLog(portableFileSystem(), 0, "");
    EXPECT_EQ(message.rfind("File not produced: DL1ABC.cbr (", 0), 0u) << message;
    EXPECT_EQ(message.back(), ')');
    EXPECT_TRUE(std::filesystem::is_directory("DL1ABC.cbr"));
}

}  // namespace
