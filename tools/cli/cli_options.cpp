#include "cli_options.h"

#include "image/portable.h"
#include "library/site_visit.h"

#include <algorithm>

#include <array>
#include <cctype>
#include <cstddef>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace {

// Screens a backup reads at once; each holds a port and a thread.
constexpr int kMaxJobs = 32;

struct CommandInfo {
    std::string_view name;
    std::size_t nMinNames;
    std::size_t nMaxNames;
    std::string_view usage;
    std::string_view text;
};

#ifdef VRX_CLI_PDF
constexpr bool kWritesPdf = true;
constexpr std::string_view kReportUsage = "report CIRCUIT [THEATER [SCREEN]] [--pdf FILE]";
constexpr std::string_view kReportHelp =
    "Writes the screen's configuration report Vrx.txt from its stored settings Vrx.cfg\n"
    "and prints it; a circuit or a theater alone is given only with --pdf.\n"
    "With --pdf FILE it writes the report as a PDF to print instead: the report's own\n"
    "text in a fixed-pitch font, each screen from a new page, pages broken between the\n"
    "report's sections, the screen and the date its settings were read at the top of\n"
    "every page, the date of printing and the page number at the bottom. Given a\n"
    "circuit, or a circuit and a theater, the PDF holds the report of each of their\n"
    "screens with stored settings, in the order list shows them; the screens left out\n"
    "are named on standard error. FILE's name ends in .pdf; an existing file is\n"
    "replaced. --pdf only reads Vrx.cfg: Vrx.txt stays as it is. No display is needed.\n";
constexpr std::string_view kPdfOptionHelp =
    "  --pdf FILE   report and visit only: write the report or the visit record as a PDF\n"
    "               file (see \"help report\")\n";
constexpr std::string_view kVisitUsage = "visit CIRCUIT [THEATER] [--since DATE] [--pdf FILE]";
constexpr std::string_view kVisitPdfHelp =
    "With --pdf FILE it writes the record as a PDF instead, in the layout of the\n"
    "reports' PDF: each touched screen from a new page, the scope and the day in the\n"
    "header, the date of printing, the technician and the page number in the footer.\n";
#else
constexpr bool kWritesPdf = false;
constexpr std::string_view kReportUsage = "report CIRCUIT THEATER SCREEN";
constexpr std::string_view kReportHelp =
    "Writes the screen's configuration report Vrx.txt from its stored settings Vrx.cfg\n"
    "and prints it.\n"
    "This Windows build of the tool is made without Qt and leaves out --pdf FILE, the\n"
    "report as a PDF to print; the tool built for Linux writes it.\n";
constexpr std::string_view kPdfOptionHelp =
    "  --pdf FILE   left out of this Windows build, which is made without Qt\n";
constexpr std::string_view kVisitUsage = "visit CIRCUIT [THEATER] [--since DATE]";
constexpr std::string_view kVisitPdfHelp =
    "This Windows build of the tool is made without Qt and leaves out --pdf FILE, the\n"
    "record as a PDF to print; the tool built for Linux writes it.\n";
#endif

constexpr std::string_view kVisitHelp =
    "Prints the record of a service visit to the screens of the circuit or theater,\n"
    "to hand over and to file. For each screen touched since DATE (--since YYYY-MM-DD;\n"
    "today unless given), that is with a log line, a version kept in its History or\n"
    "settings read since then: its log's lines since then; each field of its stored\n"
    "settings that changed, with both values as \"compare\" prints them (before: the\n"
    "settings that the visit's first Load, Restore or settled conflict kept in History;\n"
    "after: Vrx.cfg now); the verifies logged (\"send --verify\" logs one); and its\n"
    "notes. Then the screens not touched, each with its state as \"status\" shows it\n"
    "(--days N as there). It only reads the library.\n";

constexpr std::array<CommandInfo, 17> kCommands{{
    {"list", 0, 0, "list",
     "Lists the library: circuits, their theaters and their screens in natural order\n"
     "(letter case ignored, numbers by value: 2 before 10), each level indented two\n"
     "spaces. A screen with valid stored settings is marked \" *\", one whose stored\n"
     "settings fail their checks (a Send would refuse them) \" !\", and one beside whose\n"
     "files a sync engine left conflicting copies \" ?\" (see \"help conflicts\").\n"
     "Folders whose names begin with \".\", and the copies a sync engine made of folders,\n"
     "are not part of the library.\n"},
    {"add", 1, 3, "add CIRCUIT [THEATER [SCREEN]]",
     "Adds the circuit, theater and screen that are missing, with their folders and, for\n"
     "a new screen, its Notes.txt. A level that exists already is reused. Names that\n"
     "are not safe folder names are refused and nothing is changed.\n"},
    {"report", kWritesPdf ? 1 : 3, 3, kReportUsage, kReportHelp},
    {"status", 0, 2, "status [CIRCUIT [THEATER]] [--days N]",
     "Shows each screen of the library, or of the circuit or theater given, on one line\n"
     "in the order list shows them: its state, the date its settings were last read\n"
     "from a processor (the date of its Vrx.cfg, which a restore keeps) and its names.\n"
     "The state is \"never read\" (no Vrx.cfg), \"up to date\", \"overdue\" (read more\n"
     "than N days ago; --days N, 365 unless given), \"fails its checks\" (a Send\n"
     "would refuse the stored settings: load the screen again) or \"conflict\" (a sync\n"
     "engine left conflicting copies of its files: see \"help conflicts\"). The columns\n"
     "are fixed, for scripts: the state in characters 1 to 16, padded with spaces; two\n"
     "spaces; the date as YYYY-MM-DD, or \"never\" padded to 10 characters; two spaces;\n"
     "then CIRCUIT/THEATER/SCREEN to the end of the line (a name never holds \"/\"):\n"
     "  never read        never       Odeon/Main/1\n"
     "  overdue           2025-11-03  Odeon/Main/2\n"
     "How many screens are in each state follows on standard error.\n"},
    {"visit", 1, 2, kVisitUsage, kVisitHelp},
    {"load", 3, 3, "load CIRCUIT THEATER SCREEN",
     "Downloads the processor's settings into the existing screen and stores them in\n"
     "its Vrx.cfg and Vrx.txt. Asks before overwriting stored settings unless --yes.\n"
     "Nothing is stored when any stage fails.\n"},
    {"send", 3, 3, "send CIRCUIT THEATER SCREEN",
     "Sends the screen's stored settings to the processor. Asks first unless --yes.\n"
     "Stored settings that fail their checks are not sent. With --verify, the processor\n"
     "is read back afterwards and compared with the stored settings (exit status 4 when\n"
     "they differ). When the processor takes another audio block than the one announced\n"
     "(it chooses), the tool names the blocks and exits with status 1.\n"},
    {"delete", 1, 3, "delete CIRCUIT [THEATER [SCREEN]]",
     "Deletes a screen (its Vrx.cfg, Vrx.txt, Notes.txt and History, then its folder),\n"
     "or a theater or circuit whose folder is empty. Asks first unless --yes. A screen\n"
     "folder that holds anything else is left whole, and what is in the way is named;\n"
     "a folder reached through a symbolic link loses at most the link. Exits with 5\n"
     "when the folder was kept.\n"},
    {"ports", 0, 0, "ports [--find | --map COMn DEVICE | --test-cable [COMn|DEVICE]]",
     "Lists COM1 to COM4 with the device (and USB adapter) each stands for on this\n"
     "computer and whether it opens, then the serial devices that the system reports.\n"
     "--map COMn DEVICE maps a port to a device (an empty DEVICE goes back to the\n"
     "default, /dev/ttyS(n-1) or \\\\.\\COMn on Windows); DEVICE may be a serial device\n"
     "server's port, rfc2217://HOST:PORT or tcp://HOST:PORT. A USB adapter is kept with\n"
     "its identity (vendor and product IDs, serial number), so the port finds it again\n"
     "when the system names it anew after a replug. The mapping and the port choice are\n"
     "this computer's own, in the library's .vrx3km/MACHINE.cfg; VRX3KM.CFG's \"Ports\"\n"
     "section is read where that file maps nothing. --find tries the link check on\n"
     "each mapped port and each listed device and names those where a processor\n"
     "answered (exit status 1 when none did); it never writes to a processor.\n"
     "--test-cable tests the cable on the port in use, or on the port or device given:\n"
     "join pins 2 and 3 at the cable's far end (a jumper or a paperclip in the DB-9,\n"
     "no processor on it); a short pattern without any byte a processor acts on is\n"
     "sent and must come back. Exit status 0 when every byte came back, 1 when bytes\n"
     "were lost or changed or nothing came back.\n"},
    {"screen-port", 3, 4, "screen-port CIRCUIT THEATER SCREEN [PORT | --clear]",
     "Shows the screen's own port, sets it to PORT, or removes it (--clear). A screen\n"
     "with its own port (the file Port.txt in its folder, one line) is loaded, sent,\n"
     "compared and backed up through that port, whatever COM button is chosen; the\n"
     "tool says so when it uses it. PORT is COM1..COM4 (as this computer maps them),\n"
     "a device such as /dev/ttyUSB0, or a serial device server's port\n"
     "rfc2217://HOST:PORT or tcp://HOST:PORT. --port, given for one run, comes first.\n"},
    {"backup", 0, 3, "backup [CIRCUIT [THEATER [SCREEN]]] [--jobs N]",
     "Reads every screen of the library (or of the circuit, theater or screen given)\n"
     "that has its own port (see screen-port), without questions, up to N at once\n"
     "(--jobs, 4 unless given; never two through one port), and compares it with its\n"
     "stored settings. A screen whose settings changed is stored as a Load stores it,\n"
     "the replaced Vrx.cfg kept in History; an unchanged one is left as it is. One\n"
     "line per screen as it ends: \"unchanged\", \"changed (K differences)\",\n"
     "\"failed: REASON\" or \"no port\", then a line with the counts. Exit status 0\n"
     "when every screen with a port was read, 1 when any failed. Ctrl+C (or SIGTERM)\n"
     "lets the running reads end at a stage boundary, stores nothing partial and\n"
     "prints the counts of what was done.\n"},
    {"history", 3, 3, "history CIRCUIT THEATER SCREEN",
     "Lists the settings kept in the screen's History folder, newest first: the file\n"
     "name, the date and time its Vrx.cfg was replaced, and whether it passes the\n"
     "checks a Send applies. Every Load or Restore keeps the Vrx.cfg it replaces there.\n"},
    {"restore", 4, 4, "restore CIRCUIT THEATER SCREEN NAME",
     "Puts the kept settings NAME (as history prints it) back as the screen's Vrx.cfg\n"
     "and rewrites Vrx.txt. The Vrx.cfg it replaces is kept in History first. Asks\n"
     "first unless --yes.\n"},
    {"compare", 3, 3,
     "compare CIRCUIT THEATER SCREEN [--with CIRCUIT THEATER SCREEN | --file PATH |\n"
     "          --version NAME [--version NAME]]",
     "Compares the screen's stored settings with another screen's (--with), a settings\n"
     "file (--file) or a version kept in its History (--version), and prints each\n"
     "field that differs as the report labels it, with both values as the report\n"
     "prints them: \"SECTION, ROW, COLUMN: STORED | OTHER\". Bytes the report does not\n"
     "show are named by block and offset in hexadecimal. Without any of the three it\n"
     "compares with the processor. With two --version it compares those two kept\n"
     "versions with each other. Exit status 0 when they are identical, 4 when they\n"
     "differ.\n"},
    {"log", 0, 3, "log [CIRCUIT THEATER SCREEN]",
     "Prints the screen's log: one line for every Load, Send, Restore, backup and\n"
     "settled conflict, with the lines of every machine that shares the library merged\n"
     "by time: \"TIME | MACHINE | TECHNICIAN | ACTION | RESULT | REASON\". Without names\n"
     "it prints the library's own log, which records every Delete. The technician is\n"
     "the one --who names, else the name stored for your account, else your account's\n"
     "full name; --why gives the reason.\n"},
    {"conflicts", 0, 3, "conflicts [CIRCUIT [THEATER [SCREEN]]]",
     "Lists the copies that a sync engine (Syncthing, Nextcloud, ownCloud, Dropbox) left\n"
     "in the library when two machines changed the same file before either had the\n"
     "other's change: one line for each, its path, then what it is a copy of. Such\n"
     "copies are never library entries; \"resolve\" settles those of a screen's files.\n"
     "Exit status 0 also when there are none.\n"},
    {"resolve", 4, 4, "resolve CIRCUIT THEATER SCREEN FILE [--keep current|other]",
     "Settles the conflicting copy FILE of the screen (its name as \"conflicts\" prints\n"
     "it after the screen's folder) and removes it; asks first unless --yes.\n"
     "Vrx.cfg: --keep current keeps the stored settings and puts the copy's into History;\n"
     "--keep other stores the copy's settings, keeping the replaced ones in History.\n"
     "Either way Vrx.txt is rewritten from the settings kept. Compare them first with\n"
     "\"compare CIRCUIT THEATER SCREEN --file PATH\".\n"
     "Notes.txt: the version chosen stays whole, and the lines of the other that it does\n"
     "not hold follow below a marked line, so nothing of either is lost.\n"
     "Vrx.txt is rewritten from Vrx.cfg, and a log in History is merged; neither needs\n"
     "--keep. The settled conflict is logged in the screen's log.\n"},
}};

constexpr std::string_view kOptionsHelp =
    "Options:\n"
    "  --dir DIR    the library folder (default: the current folder, when it is a\n"
    "               library: it holds VRX3KM.CFG or screen folders, or is empty)\n"
    "  --port COMn  the serial port COM1..COM4 (default: the one in VRX3KM.CFG; the\n"
    "               profile is not changed), or a device such as /dev/ttyUSB0, or a\n"
    "               serial device server's port rfc2217://HOST:PORT (telnet) or\n"
    "               tcp://HOST:PORT (raw) for this run; \"vrx3km-cli ports\" shows\n"
    "               what COM1..COM4 stand for\n"
    "  --trace FILE write every byte sent and received to FILE, with timestamps: a new\n"
    "               or regular file outside the library's screen folders (exit status\n"
    "               3 when it is refused or cannot be written whole)\n"
    "  --yes        answer every question with yes\n"
    "  --who NAME   the technician the logs name for this run (default: the name stored\n"
    "               for your account, else its full name)\n"
    "  --why TEXT   the reason the logs record for this run's commands\n"
    "  --keep current|other\n"
    "               resolve only: which version keeps the file's name\n"
    "  --with CIRCUIT THEATER SCREEN, --file PATH, --version NAME\n"
    "               compare only: what the stored settings are compared with\n"
    "  --help       show this help\n"
    "  --version    show the version (without a command)\n";

std::string OptionsHelp() {
    return std::string(kOptionsHelp) + std::string(kPdfOptionHelp) +
           "  --days N     status and visit only: settings read more than N days ago are\n"
           "               overdue (default 365)\n"
           "  --since DATE visit only: the day the visit began, as YYYY-MM-DD (default:\n"
           "               today)\n"
           "  --jobs N     backup only: screens read at once, 1 to " +
           std::to_string(kMaxJobs) + " (default 4)\n" +
           "  --clear      screen-port only: remove the screen's own port\n";
}

const CommandInfo* FindCommand(std::string_view name) {
    for (const CommandInfo& info : kCommands) {
        if (info.name == name)
            return &info;
    }
    return nullptr;
}

std::optional<int> ParsePort(std::string_view text) {
    if (text.size() == 4 && (text[0] == 'C' || text[0] == 'c') &&
        (text[1] == 'O' || text[1] == 'o') && (text[2] == 'M' || text[2] == 'm') &&
        text[3] >= '1' && text[3] <= '4')
        return text[3] - '1';
    return std::nullopt;
}

// A PDF goes only into a file named so: never into Vrx.cfg, Notes.txt or another file of the
// library by a slip of the keyboard.
bool EndsInPdf(std::string_view name) {
    if (name.size() <= 4)
        return false;
    std::string end(name.substr(name.size() - 4));
    for (char& c : end)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return end == ".pdf";
}

// A few centuries are enough for any service interval.
constexpr int kMaxDays = 100000;

std::optional<int> ParseSmallNumber(std::string_view text) {
    if (text.empty() || text.size() > 6 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const int days = std::stoi(std::string(text));
    return days <= kMaxDays ? std::optional<int>(days) : std::nullopt;
}

CliParse Fail(std::string strError) {
    return CliParse{std::nullopt, std::move(strError)};
}

} // namespace

CliParse ParseCommandLine(const std::vector<std::string>& args) {
    CliRequest request;
    std::vector<std::string> words;
    bool bOptionsEnded = false;
    // "--version" alone shows the tool's version; compare's "--version NAME" names a kept one.
    const bool bCompare = std::find(args.begin(), args.end(), "compare") != args.end();
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (bOptionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            words.push_back(arg);
        } else if (arg == "--") {
            bOptionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            request.m_bHelp = true;
        } else if (arg == "--version" && !bCompare) {
            request.m_bVersion = true;
        } else if (arg == "--yes" || arg == "-y") {
            request.m_bYes = true;
        } else if (arg == "--verify") {
            request.m_bVerify = true;
        } else if (arg == "--with") {
            if (i + 3 >= args.size())
                return Fail("option --with needs a circuit, a theater and a screen");
            request.m_withNames.assign(args.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                                       args.begin() + static_cast<std::ptrdiff_t>(i) + 4);
            i += 3;
        } else if (arg == "--file" || arg == "--version") {
            if (i + 1 >= args.size() || args[i + 1].empty())
                return Fail("option " + arg + " needs a value");
            const std::string& value = args[++i];
            if (arg == "--version") {
                if (request.m_strSecondVersion)
                    return Fail("compare takes at most two --version");
                (request.m_strVersion ? request.m_strSecondVersion : request.m_strVersion) = value;
            } else {
                // The tool works in the library folder; the path keeps the meaning it had in the
                // folder the tool was started in.
                std::error_code ec;
                const std::filesystem::path full =
                    std::filesystem::absolute(PathFromUtf8(value), ec);
                request.m_strFile = ec ? value : PathToUtf8(full);
            }
        } else if (arg == "--dir" || arg == "--port") {
            if (i + 1 >= args.size())
                return Fail("option " + arg + " needs a value");
            const std::string& value = args[++i];
            if (arg == "--dir") {
                if (value.empty())
                    return Fail("option --dir needs a folder");
                request.m_strDir = value;
            } else {
                request.m_nPortIndex = ParsePort(value);
                // Anything else names a device for this run: a path such as /dev/ttyUSB0, on
                // Windows a port name such as COM7, or a network port (rfc2217://, tcp://).
                if (!request.m_nPortIndex) {
                    if (value.empty())
                        return Fail("option --port needs COM1..COM4 or a device");
                    request.m_strPortDevice = value;
                }
            }
        } else if (arg == "--trace") {
            if (i + 1 >= args.size() || args[i + 1].empty())
                return Fail("option --trace needs a file");
            // Kept as UTF-8, as every path is; relative to the folder the tool was started in.
            std::error_code ec;
            const std::filesystem::path full =
                std::filesystem::absolute(PathFromUtf8(args[++i]), ec);
            request.m_strTrace = ec ? args[i] : PathToUtf8(full);
        } else if (arg == "--pdf") {
            if (i + 1 >= args.size() || args[i + 1].empty())
                return Fail("option --pdf needs a file");
            if (!kWritesPdf)
                return Fail("--pdf is left out of this Windows build of vrx3km-cli, which is made "
                            "without Qt");
            const std::string& value = args[++i];
            if (!EndsInPdf(value))
                return Fail("the name of the PDF file must end in .pdf: \"" + value + "\"");
            std::error_code ec;
            const std::filesystem::path full = std::filesystem::absolute(PathFromUtf8(value), ec);
            request.m_strPdf = ec ? value : PathToUtf8(full);
        } else if (arg == "--since") {
            if (i + 1 >= args.size())
                return Fail("option --since needs a date");
            request.m_strSince = args[++i];
            if (!StartOfLocalDay(*request.m_strSince))
                return Fail(
                    "option --since needs a date as YYYY-MM-DD, such as 2026-12-07, not \"" +
                    *request.m_strSince + "\"");
        } else if (arg == "--days") {
            if (i + 1 >= args.size())
                return Fail("option --days needs a number of days");
            request.m_nDays = ParseSmallNumber(args[++i]);
            if (!request.m_nDays)
                return Fail("option --days needs a number of days from 0 to " +
                            std::to_string(kMaxDays) + ", not \"" + args[i] + "\"");
        } else if (arg == "--who" || arg == "--why" || arg == "--keep") {
            if (i + 1 >= args.size() || args[i + 1].empty())
                return Fail("option " + arg + " needs a value");
            const std::string& value = args[++i];
            if (arg == "--keep" && value != "current" && value != "other")
                return Fail("option --keep takes \"current\" or \"other\", not \"" + value + "\"");
            (arg == "--who"   ? request.m_strWho
             : arg == "--why" ? request.m_strWhy
                              : request.m_strKeep) = value;
        } else if (arg == "--jobs") {
            if (i + 1 >= args.size())
                return Fail("option --jobs needs a number of screens read at once");
            const std::string& value = args[++i];
            const std::optional<int> jobs = ParseSmallNumber(value);
            if (!jobs || *jobs < 1 || *jobs > kMaxJobs)
                return Fail("option --jobs needs a number from 1 to " + std::to_string(kMaxJobs) +
                            ", not \"" + value + "\"");
            request.m_nJobs = jobs;
        } else if (arg == "--clear") {
            request.m_bClear = true;
        } else if (arg == "--find") {
            request.m_bFind = true;
        } else if (arg == "--test-cable") {
            // The port is optional: a word that follows is taken for it (ports takes no names).
            request.m_cableTest = std::string();
            if (i + 1 < args.size() && !args[i + 1].empty() && args[i + 1][0] != '-')
                request.m_cableTest = args[++i];
        } else if (arg == "--map") {
            if (i + 2 >= args.size())
                return Fail("option --map needs a port (COM1..COM4) and a device");
            if (!ParsePort(args[i + 1]))
                return Fail("unknown port \"" + args[i + 1] + "\": use COM1, COM2, COM3 or COM4");
            request.m_mapping = {"COM" + std::string(1, args[i + 1][3]), args[i + 2]};
            i += 2;
        } else {
            return Fail("unknown option " + arg);
        }
    }

    if (words.empty()) {
        if (request.m_bHelp || request.m_bVersion)
            return CliParse{request, {}};
        return Fail("no command given");
    }
    request.m_strCommand = words.front();
    words.erase(words.begin());

    if (request.m_strCommand == "help") {
        if (words.size() > 1)
            return Fail("help takes at most one command");
        request.m_bHelp = true;
        request.m_strCommand = words.empty() ? std::string() : words.front();
        if (!request.m_strCommand.empty() && !FindCommand(request.m_strCommand))
            return Fail("unknown command \"" + request.m_strCommand + "\"");
        return CliParse{request, {}};
    }
    const CommandInfo* info = FindCommand(request.m_strCommand);
    if (!info)
        return Fail("unknown command \"" + request.m_strCommand + "\"");
    if (request.m_bHelp || request.m_bVersion)
        return CliParse{request, {}};
    if (words.size() < info->nMinNames || words.size() > info->nMaxNames)
        return Fail("usage: vrx3km-cli " + std::string(info->usage));
    const int nOthers = int{!request.m_withNames.empty()} + int{request.m_strFile.has_value()} +
                        int{request.m_strVersion.has_value()};
    if (nOthers > 0 && request.m_strCommand != "compare")
        return Fail("--with, --file and --version are options of compare only");
    if (nOthers > 1)
        return Fail("compare takes one of --with, --file and --version");
    const bool bVisit = request.m_strCommand == "visit";
    if (!request.m_strPdf.empty() && request.m_strCommand != "report" && !bVisit)
        return Fail("--pdf is an option of report and visit only");
    if (request.m_nDays && request.m_strCommand != "status" && !bVisit)
        return Fail("--days is an option of status and visit only");
    if (request.m_strSince && !bVisit)
        return Fail("--since is an option of visit only");
    if (request.m_nJobs && request.m_strCommand != "backup")
        return Fail("--jobs is an option of backup only");
    if (request.m_bClear && (request.m_strCommand != "screen-port" || words.size() != 3))
        return Fail("--clear is an option of screen-port CIRCUIT THEATER SCREEN only");
    if (!request.m_strTrace.empty() && request.m_strCommand == "backup")
        return Fail("--trace follows one port; backup reads many at once");
    if ((!request.m_strPortDevice.empty() || request.m_nPortIndex) &&
        request.m_strCommand == "backup")
        return Fail("--port names one port; backup reads each screen through its own (see "
                    "screen-port)");
    if (request.m_strCommand == "report" && words.size() < 3 && request.m_strPdf.empty())
        return Fail("usage: vrx3km-cli report CIRCUIT THEATER SCREEN (the reports of a circuit or "
                    "a theater go into a PDF: add --pdf FILE)");
    if (request.m_strKeep && request.m_strCommand != "resolve")
        return Fail("--keep is an option of resolve only");
    if (request.m_strCommand == "log" && words.size() != 0 && words.size() != 3)
        return Fail("usage: vrx3km-cli " + std::string(info->usage));
    if (request.m_bVerify && request.m_strCommand != "send")
        return Fail("--verify is an option of send only");
    if ((request.m_bFind || request.m_mapping || request.m_cableTest) &&
        request.m_strCommand != "ports")
        return Fail("--find, --map and --test-cable are options of ports only");
    if (int{request.m_bFind} + int{request.m_mapping.has_value()} +
            int{request.m_cableTest.has_value()} >
        1)
        return Fail("ports takes one of --find, --map and --test-cable");
    request.m_names = std::move(words);
    return CliParse{request, {}};
}

std::string ToolHelp() {
    std::string text = "Usage: vrx3km-cli [OPTIONS] COMMAND [NAMES...]\n"
                       "Keeps the VRX-3KM settings library and moves settings to and from the "
                       "processor.\n\nCommands:\n";
    for (const CommandInfo& info : kCommands)
        text += "  " + std::string(info.usage) + "\n";
    text += "  help [COMMAND]\n\n";
    text += OptionsHelp();
    text += "\nExit status: 0 success, 1 transfer failed or declined, 2 bad usage, an\n"
            "unknown or unsafe name, or a current folder that is not a library, 3 a file\n"
            "error or a missing library folder, 4 compare found differences, 5 delete kept\n"
            "the folder.\n";
    return text;
}

std::optional<std::string> CommandHelp(const std::string& strCommand) {
    const CommandInfo* info = FindCommand(strCommand);
    if (!info)
        return std::nullopt;
    // The visit record's PDF is said in this build's words.
    const std::string_view more = info->name == "visit" ? kVisitPdfHelp : std::string_view();
    return "Usage: vrx3km-cli [OPTIONS] " + std::string(info->usage) + "\n\n" +
           std::string(info->text) + std::string(more) + "\n" + OptionsHelp();
}

bool ToolWritesPdf() {
    return kWritesPdf;
}

std::string VersionText() {
    return "vrx3km-cli " VRX3KM_VERSION "\n";
}

bool IsConsent(const std::string& strAnswer) {
    std::string_view answer = strAnswer;
    while (!answer.empty() && answer.back() == '\r')
        answer.remove_suffix(1);
    std::string folded;
    for (const char c : answer)
        folded += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return folded == "y" || folded == "yes";
}
