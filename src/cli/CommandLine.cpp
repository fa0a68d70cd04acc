#include "cli/CommandLine.h"

#include "cli/Commands.h"
#include "generated/Version.h"
#include "traffic/Load.h"
#include "traffic/QtPaths.h"

#include <QCommandLineParser>
#include <QFile>
#include <QLocale>

namespace tarvik::cli {

namespace {

const char* const Usage =
    R"(Usage: tarvik [FILE]
       tarvik check [--strict] [--ignore CODE[,CODE...]] FILE...
       tarvik apply --if "FIELD=VALUE" [--and "FIELD=VALUE"] --then "FIELD=VALUE"
                    [--dry-run] [--output OUT] FILE
       tarvik --help | --version

Edits the flight plans of a flight simulator's AI traffic by rules.

  tarvik [FILE]    Opens the window; FILE, when given, as Files > Open would open it.
  check FILE...    Checks each set for what the traffic compiler would trip on and
                   prints each problem as "FILE:LINE: error: message [code]" (or
                   "warning:"), then the set's figures; a folder checks every set in
                   it. Exit status: 0 no error (warnings allowed), 1 errors, 2 a file
                   could not be read or a load stopped.
    --strict               warnings count as errors
    --ignore CODE,...      leaves those codes out (the option may be repeated)
  apply            Runs the rule as OK and then "Change The Lot" do in the window and
                   saves the set; prints a summary to standard error. Exit status: 0
                   done, 2 refused or failed (nothing is written then).
    --if "FIELD=VALUE"     the plans to look at
    --and "FIELD=VALUE"    narrows them further; left out, it is "NA"
    --then "FIELD=VALUE"   what to change
    --dry-run              writes nothing; prints what the save would change as a
                           unified diff
    --output OUT           saves to OUT instead of FILE

FILE is a flight-plan file, or a folder that holds FlightPlans.txt or a single
FlightPlans_<suffix>.txt (check takes every set of a folder, in name order). A file FlightPlans_<suffix>.txt is read with
Aircraft_<suffix>.txt and Airports_<suffix>.txt of its folder where they exist,
with Aircraft.txt and Airports.txt otherwise.

The codes of check (errors first, then warnings), each with an example:
  doubtful-line              There may be a problem in this line: AC#1,N1
  unknown-aircraft           aircraft number 9 is not in Aircraft.txt
  unknown-home-airport       home airport KXYZ is not in Airports.txt
  unknown-airport            airport KXYZ of the legs is not in Airports.txt
  duplicate-identifier       aircraft identifier N123 is used before, at
                             FlightPlans.txt:12 (in this set or one checked before)
  duplicate-aircraft-number  aircraft number 7 is listed before, at line 3
  percentage                 percentage 150 is outside 0 to 100
  frequency                  flight frequency Daily is none of 1Hr 2hr ... Week
  flight-rules               flight rules XFR are neither IFR nor VFR
  legs-shape                 the legs do not split into flights of six fields
                             (departure, arrival, level, F or R, number, airport),
                             the last closed by the home airport
Letter case is ignored, airport codes are compared without blanks around them.

FIELD is one of "Home AirPort", "AirCraft", "Percentage", "Aircraft ID",
"Flight Frequency", "IFR_VFR", "Visited AirPort" (letter case ignored), in the
rows where the window offers it. An AirCraft value is an aircraft's number or its
title. Numbers are read with "." as the decimal point.
)";

const QString Help = QStringLiteral("help");
const QString Version = QStringLiteral("version");

// A parser that knows --help and --version besides the options a command adds.
void AddCommonOptions(QCommandLineParser& parser) {
    parser.addOption({{QStringLiteral("h"), Help}, QString()});
    parser.addOption({{QStringLiteral("v"), Version}, QString()});
}

// args without the command: the program's name and the arguments after it.
QStringList WithoutCommand(const QStringList& args) {
    return QStringList{args.value(0)} + args.mid(2);
}

// --help or --version among args, answered; -1 when neither is there or args are refused.
int AnswerCommon(const QStringList& args, Console console) {
    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    AddCommonOptions(parser);
    parser.addOption({QStringLiteral("dry-run"), QString()});
    parser.addOption({QStringLiteral("strict"), QString()});
    for (const char* name : {"if", "and", "then", "output", "ignore"})
        parser.addOption({QString::fromLatin1(name), QString(), QStringLiteral("VALUE")});
    parser.parse(args);
    if (parser.isSet(Help)) {
        std::fputs(Usage, console.Out);
        return 0;
    }
    if (parser.isSet(Version)) {
        std::fputs("tarvik " TARVIK_VERSION "\n", console.Out);
        return 0;
    }
    return -1;
}

bool IsCommandName(const QStringList& args) {
    return args.size() > 1 &&
           (args[1] == QLatin1String("check") || args[1] == QLatin1String("apply"));
}

} // namespace

int Fail(Console console, const std::string& message) {
    std::fprintf(console.Err, "tarvik: %s\n", message.c_str());
    std::fflush(console.Err);
    return 2;
}

std::string StopText(const LoadStop& stop) {
    if (stop.Line <= 0)
        return stop.File + ": Could not read: " + stop.Reason;
    return stop.File + ":" + std::to_string(stop.Line) + ": Loading stopped: " + stop.Reason;
}

bool IsCommand(const QStringList& args) {
    if (IsCommandName(args))
        return true;
    for (const QString& arg : args.mid(1)) {
        if (arg == QLatin1String("--"))
            break;
        for (const char* asked : {"-h", "--help", "-v", "--version"})
            if (arg == QLatin1String(asked))
                return true;
    }
    return false;
}

int RunCommand(const QStringList& args, RandomSource& random, Console console) {
    // A script gives the same values the same meaning on every machine.
    QLocale::setDefault(QLocale::c());
    const QStringList rest = IsCommandName(args) ? WithoutCommand(args) : args;
    if (const int answered = AnswerCommon(rest, console); answered >= 0)
        return answered;
    if (!IsCommandName(args)) {
        const WindowArguments window = ParseWindowArguments(args);
        return Fail(console, window.Ok ? "nothing to do" : window.Error.toStdString());
    }
    if (args[1] == QLatin1String("apply"))
        return Apply(rest, random, console);
    return Check(rest, console);
}

WindowArguments ParseWindowArguments(const QStringList& args) {
    QCommandLineParser parser;
    AddCommonOptions(parser);
    parser.addPositionalArgument(QStringLiteral("FILE"), QString(), QStringLiteral("[FILE]"));
    WindowArguments window;
    if (!parser.parse(args))
        window.Error = parser.errorText();
    else if (parser.positionalArguments().size() > 1)
        window.Error = QStringLiteral("the window opens one FILE; for a command, "
                                      "give check or apply first");
    if (!window.Error.isEmpty()) {
        window.Ok = false;
        window.Error += QStringLiteral("\nTry 'tarvik --help'.");
        return window;
    }
    if (parser.positionalArguments().isEmpty())
        return window;
    const QString given = parser.positionalArguments().front();
    const PlansFileChoice choice = PlansFileOf(PathFromQt(given));
    if (choice.File.empty()) {
        window.Ok = false;
        window.Error = given + QStringLiteral(": ") + QString::fromLocal8Bit(choice.Error.c_str());
        return window;
    }
    window.File = QtPath(choice.File);
    return window;
}

} // namespace tarvik::cli
