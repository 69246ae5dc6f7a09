#include "cli_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Args = std::vector<std::string>;

struct GoodLine {
    Args args;
    std::string command;
    Args names;
    std::string dir;
    int port; // -1: none given
    bool yes;
    bool help;
};

class ParseGoodLine : public testing::TestWithParam<GoodLine> {};

TEST_P(ParseGoodLine, YieldsTheRequest) {
    const GoodLine& c = GetParam();
    const CliParse parse = ParseCommandLine(c.args);
    ASSERT_TRUE(parse.m_request) << parse.m_strError;
    const CliRequest& r = *parse.m_request;
    EXPECT_EQ(r.m_strCommand, c.command);
    EXPECT_EQ(r.m_names, c.names);
    EXPECT_EQ(r.m_strDir, c.dir);
    EXPECT_EQ(r.m_nPortIndex.value_or(-1), c.port);
    EXPECT_EQ(r.m_bYes, c.yes);
    EXPECT_EQ(r.m_bHelp, c.help);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ParseGoodLine,
    testing::Values(
        GoodLine{{"list"}, "list", {}, "", -1, false, false},
        GoodLine{{"--dir", "/lib", "add", "Main"}, "add", {"Main"}, "/lib", -1, false, false},
        GoodLine{{"load", "A", "B", "C", "--yes", "--port", "COM3"},
                 "load",
                 {"A", "B", "C"},
                 "",
                 2,
                 true,
                 false},
        GoodLine{{"send", "--", "-A", "B", "C"}, "send", {"-A", "B", "C"}, "", -1, false, false},
        GoodLine{{"help", "load"}, "load", {}, "", -1, false, true},
        GoodLine{{"load", "--help"}, "load", {}, "", -1, false, true},
        GoodLine{{"--help"}, "", {}, "", -1, false, true},
        GoodLine{{"help"}, "", {}, "", -1, false, true}));

struct BadLine {
    Args args;
    std::string error;
};

class ParseBadLine : public testing::TestWithParam<BadLine> {};

TEST_P(ParseBadLine, SaysWhatIsWrong) {
    const CliParse parse = ParseCommandLine(GetParam().args);
    EXPECT_FALSE(parse.m_request);
    EXPECT_EQ(parse.m_strError, GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ParseBadLine,
    testing::Values(BadLine{{}, "no command given"},
                    BadLine{{"fetch"}, "unknown command \"fetch\""},
                    BadLine{{"help", "fetch"}, "unknown command \"fetch\""},
                    BadLine{{"list", "--force"}, "unknown option --force"},
                    BadLine{{"list", "--dir"}, "option --dir needs a value"},
                    BadLine{{"list", "--port", ""}, "option --port needs COM1..COM4 or a device"},
                    BadLine{{"ports", "--map", "COM5", "/dev/ttyUSB0"},
                            "unknown port \"COM5\": use COM1, COM2, COM3 or COM4"},
                    BadLine{{"list", "--find"},
                            "--find, --map and --test-cable are options of ports only"},
                    BadLine{{"load", "A", "B"}, "usage: vrx3km-cli load CIRCUIT THEATER SCREEN"},
                    BadLine{{"add"}, "usage: vrx3km-cli add CIRCUIT [THEATER [SCREEN]]"},
                    BadLine{{"delete", "A", "B", "C", "D"},
                            "usage: vrx3km-cli delete CIRCUIT [THEATER [SCREEN]]"},
                    BadLine{{"list", "extra"}, "usage: vrx3km-cli list"},
                    BadLine{{"compare", "A", "B", "C", "--with", "D", "E"},
                            "option --with needs a circuit, a theater and a screen"},
                    BadLine{{"report", "A", "B", "C", "--file", "V"},
                            "--with, --file and --version are options of compare only"},
                    BadLine{{"compare", "A", "B", "C", "--version", "V", "--file", "F"},
                            "compare takes one of --with, --file and --version"}));

const BadLine kSiteLines[] = {
    {{"list", "--days", "3"}, "--days is an option of status and visit only"},
    {{"status", "--since", "2026-12-07"}, "--since is an option of visit only"},
    {{"visit", "A", "--since", "2026-02-30"},
     "option --since needs a date as YYYY-MM-DD, such as 2026-12-07, not \"2026-02-30\""},
    {{"visit", "A", "--since", "7.12.2026"},
     "option --since needs a date as YYYY-MM-DD, such as 2026-12-07, not \"7.12.2026\""},
    {{"status", "--days", "-1"},
     "option --days needs a number of days from 0 to 100000, not \"-1\""},
#ifdef VRX_CLI_PDF
    {{"list", "--pdf", "a.pdf"}, "--pdf is an option of report and visit only"},
    {{"report", "A"},
     "usage: vrx3km-cli report CIRCUIT THEATER SCREEN (the reports of a circuit or a theater go "
     "into a PDF: add --pdf FILE)"},
    {{"report", "A", "--pdf", "Vrx.cfg"}, "the name of the PDF file must end in .pdf: \"Vrx.cfg\""},
#else
    {{"report", "A", "B", "C", "--pdf", "a.pdf"},
     "--pdf is left out of this Windows build of vrx3km-cli, which is made without Qt"},
#endif
};
INSTANTIATE_TEST_SUITE_P(Site, ParseBadLine, testing::ValuesIn(kSiteLines));

TEST(Consent, OnlyYOrYesAgreeInAnyLetterCase) {
    for (const char* yes : {"y", "Y", "yes", "YES", "Yes", "yes\r"})
        EXPECT_TRUE(IsConsent(yes)) << yes;
    for (const char* no : {"", "n", "N", "ok", "yes please", " y", "ye"})
        EXPECT_FALSE(IsConsent(no)) << no;
}

TEST(Help, EveryCommandHasItsOwnHelp) {
    for (const char* command : {"list", "add", "report", "status", "load", "send", "delete",
                                "history", "restore", "compare", "visit"}) {
        const auto help = CommandHelp(command);
        ASSERT_TRUE(help) << command;
        EXPECT_NE(help->find(std::string("vrx3km-cli [OPTIONS] ") + command), std::string::npos);
        EXPECT_NE(ToolHelp().find(std::string("  ") + command), std::string::npos);
    }
    EXPECT_FALSE(CommandHelp("fetch"));
}

TEST(Version, AsksForNothingElse) {
    for (const Args& args : {Args{"--version"}, Args{"list", "--version"}}) {
        const CliParse parse = ParseCommandLine(args);
        ASSERT_TRUE(parse.m_request) << parse.m_strError;
        EXPECT_TRUE(parse.m_request->m_bVersion);
    }
    EXPECT_EQ(VersionText().rfind("vrx3km-cli ", 0), 0u);
    EXPECT_GT(VersionText().size(), std::string("vrx3km-cli \n").size());
}

} // namespace
